#pragma once
// The process locale for an interface language.
#include <string>

namespace profile {

// Sets the C runtime locale to `posixName` (for example "de_DE") in its UTF-8
// form when the system has it installed, otherwise to the user's default
// (also for an empty name). Numbers keep the point as decimal separator: the
// numeric category always ends as "C". Returns the locale name now in force.
std::string SetLanguageLocale(const std::string& posixName);

}  // namespace profile
