#include "platform/profile/Locale.h"

#include <clocale>

namespace profile {

std::string SetLanguageLocale(const std::string& posixName) {
    const char* set = nullptr;
    if (!posixName.empty())
        for (const std::string& candidate : {posixName + ".UTF-8", posixName + ".utf8"})
            if ((set = std::setlocale(LC_ALL, candidate.c_str()))) break;
    if (!set) set = std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    const char* now = std::setlocale(LC_CTYPE, nullptr);
    return now ? now : "";
}

}  // namespace profile
