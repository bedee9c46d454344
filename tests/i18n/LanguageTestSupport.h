#pragma once
// A base folder with a `language` folder of the test's own files.
#include <filesystem>
#include <string>

#include "TestEnv.h"

namespace i18ntest {

class LanguageFolder {
public:
    LanguageFolder() { std::filesystem::create_directories(dir_ / "language"); }
    void Write(const std::string& fileName, const std::string& bytes) const {
        testenv::WriteFile(dir_ / "language" / fileName, bytes);
    }
    std::string base() const { return dir_.path().string(); }

private:
    testenv::TempDir dir_;
};

// A language file with the main window's buttons and the restart message.
inline std::string GermanFile() {
    return "[MENU]\nIDM_SELECT_LANGUAGE=Sprache\nIDM_POPUPMENU_FONT=Schriftart\nIDM_ABOUT=Info\n"
           "[DIALOG]\nIDD_PROGRAM_CAPTION=Quorvel Video-Konverter\n"
           "IDC_BUTTON_ADD_VIDEO=Video \xC3\xB6"
           "ffnen\nIDC_BUTTON_CONVERT=Konvertieren\n"
           "IDC_BUTTON_ABOUT=Info\nIDC_BUTTON_EXIT=Beenden\n"
           "[STRING]\nIDS_MESSAGE_WARNING=Warnung\n"
           "IDS_MESSAGE_RESTART_PROGRAM=Bitte starten Sie das Programm neu\n";
}

inline std::string EnglishFile() {
    return "[MENU]\nIDM_SELECT_LANGUAGE=Language\n[DIALOG]\nIDD_PROGRAM_CAPTION=Quorvel Video "
           "Converter\n"
           "IDC_BUTTON_ADD_VIDEO=Open Video\nIDC_BUTTON_CONVERT=Convert\nIDC_BUTTON_ABOUT=About\n"
           "IDC_BUTTON_EXIT=Exit\n[STRING]\nIDS_MESSAGE_WARNING=Warning\n"
           "IDS_MESSAGE_RESTART_PROGRAM=Please restart the program\n";
}

}  // namespace i18ntest
