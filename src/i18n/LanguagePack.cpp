#include "i18n/LanguagePack.h"

#include "i18n/TextKeyTable.h"
#include "platform/Path.h"
#include "platform/profile/Folder.h"
#include "platform/profile/Locale.h"
#include "platform/ui/ToolkitLanguage.h"
#include "platform/profile/ProfileFile.h"
#include "platform/shell/Shell.h"

namespace i18n {

LanguagePack& LanguagePack::Instance() {
    static LanguagePack pack;
    return pack;
}

LanguagePack::~LanguagePack() = default;

void LanguagePack::ResetToBuiltIn() {
    currentLanguage_ = "english";
    catalog_.clear();
    menuTexts_.clear();
    stringTexts_.clear();
    dialogTexts_.clear();
    baseFolder_.clear();
    subLanguage_ = 1;
    primaryLanguage_ = 9;
    filePath_.clear();
    encoding_ = TextEncoding::Ansi;
    interfaceFont_.reset();
}

namespace {

std::string CutAtLastSeparator(const std::string& path) {
    const std::string folder = paths::FolderOf(path);
    return folder.empty() ? path : folder.substr(0, folder.size() - 1);
}

}  // namespace

std::string FindBaseFolderOf(const std::string& executableFolder) {
    std::string folder = executableFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::string parent = CutAtLastSeparator(folder);
    if (parent != folder && profile::FileExists(parent + "/language/English.ini")) return parent;
    return folder;
}

std::string FindBaseFolder() { return FindBaseFolderOf(shell::DataFolder()); }

int LanguagePack::LoadLanguage(const std::string& name) {
    if (catalog_.empty()) return 0;
    encoding_ = DetectEncoding(name);

    std::string abbreviation;
    IdentifyLanguage(name, abbreviation, primaryLanguage_, subLanguage_);

    // Language files come from systems whose file names ignore letter case.
    const std::string folder = baseFolder_ + "/language";
    filePath_ =
        profile::FindIgnoringCase(folder, name + ".ini").value_or(folder + "/" + name + ".ini");

    profile::ReadOptions options;
    options.utf16 = encoding_ == TextEncoding::Unicode;
    if (encoding_ == TextEncoding::Ansi)
        options.ansiCodePage = AnsiCodePageOf(primaryLanguage_, subLanguage_);
    const profile::ProfileFile file = profile::ProfileFile::Load(filePath_, options);

    for (const TextKey& row : kTextKeyTable) {
        const std::string_view section = SectionOfKey(row.key);
        if (section.empty()) continue;
        TextTable& table = section == "STRING" ? stringTexts_
                           : section == "MENU" ? menuTexts_
                                               : dialogTexts_;
        table.push_back(TextEntry{row.id, Unescape(file.GetString(section, row.key, ""))});
    }

    // After a failed identification the user's default locale serves.
    const std::string locale =
        abbreviation.empty() ? std::string() : PosixLocaleOf(primaryLanguage_, subLanguage_);
    profile::SetLanguageLocale(locale);
    ui::UseToolkitLanguage(locale);
    LoadInterfaceFont();
    return 1;
}

}  // namespace i18n
