#pragma once
// The toolkit's own texts (Yes and No, the file and font choosers, OK, Cancel
// and Apply of the settings dialogs) in the interface language, from the
// translations the toolkit ships.
#include <string>

namespace ui {

// `posixLocale` as "de_DE" or "zh_CN"; empty for the toolkit's English. Replaces
// the translation loaded before. False when none is installed for the language
// (the toolkit's English shows then) or no application object exists yet.
bool UseToolkitLanguage(const std::string& posixLocale);

}  // namespace ui
