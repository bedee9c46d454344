#pragma once
// The message shown when the browser cannot be started, by the main window's
// home page command and the options dialog's link to the WebM encoders alike.
#include <string>

namespace i18n {

std::string BrowserLaunchFailureText(const std::string& address);

}  // namespace i18n
