// The language catalogue: the language files found, and choosing one of them.
#include <algorithm>

#include "i18n/LanguagePack.h"
#include "platform/profile/Folder.h"

namespace i18n {
namespace {

constexpr std::string_view kExtension = ".ini";

// The folder listing matches "*.ini" ignoring letter case, folders included.
bool IsLanguageFileName(const std::string& name) {
    if (name.size() < kExtension.size()) return false;
    return LowerCase(name.substr(name.size() - kExtension.size())) == kExtension;
}

}  // namespace

int LanguagePack::ScanCatalog() {
    bool found = false;
    for (const std::string& entry : profile::ListFolder(baseFolder_ + "/language")) {
        if (!IsLanguageFileName(entry)) continue;
        catalog_.push_back(entry.substr(0, entry.size() - kExtension.size()));
        found = true;
    }
    if (!found) return 0;
    // Byte order: every upper-case ASCII letter sorts before every lower-case one.
    std::sort(catalog_.begin(), catalog_.end());
    return 1;
}

int LanguagePack::InitializeLanguages(const std::string& baseFolder, std::string requestedName) {
    ResetToBuiltIn();
    baseFolder_ = baseFolder;
    catalog_.clear();
    ScanCatalog();
    if (catalog_.empty()) return 0;
    SelectLanguage(requestedName);
    return 1;
}

int LanguagePack::SelectLanguage(std::string& name) {
    menuTexts_.clear();
    stringTexts_.clear();
    dialogTexts_.clear();
    currentLanguage_ = "english";
    const std::string wanted = LowerCase(name);
    for (const std::string& entry : catalog_)
        if (LowerCase(entry) == wanted) {
            currentLanguage_ = name;  // the name as asked for, not as the catalogue spells it
            break;
        }
    if (name != currentLanguage_) name = "english";
    LoadLanguage(name);
    return 1;
}

std::string LanguagePack::CatalogEntry(int index) const {
    if (index < 0 || index >= static_cast<int>(catalog_.size())) return {};
    return catalog_[static_cast<std::size_t>(index)];
}

}  // namespace i18n
