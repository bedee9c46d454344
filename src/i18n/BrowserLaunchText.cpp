#include "i18n/BrowserLaunchText.h"

namespace i18n {

std::string BrowserLaunchFailureText(const std::string& address) {
    return "The Program does not launch your web browser to access " + address +
           " ,\nPlease launch your web browser and input the URL manually.";
}

}  // namespace i18n
