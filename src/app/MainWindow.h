#pragma once
// The one window the user works in.
#include <cstdint>
#include <string>

#include "engine/SourceInfo.h"
#include "options/OutputSettings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Dialog.h"

namespace app {

// Private window message: open the file the command line named.
inline constexpr unsigned OpenStartFileMessage = 0x40E;

class MainWindow : public ui::Dialog {
public:
    MainWindow();
    ~MainWindow() override;

    // Window state (the Converting / Source ready / No source states derive from these).
    options::OutputSettings settings;
    engine::SourceInfo source;
    std::string sourcePath;
    int sourceOpened = 0;
    int isConverting = 0;
    int elapsedSeconds = 0;
    std::string errorText;
    std::string startFile;  // opened once the window is up (from the command line)
    shell::OsVersion osVersion;
    int vsFilterChanged = 0;
    std::uint32_t vsFilterSavedLevel = 0;

    // Commands.
    void OnOpenVideo();
    // Opens `path` as Open Video does once a file is chosen.
    void OpenSourceFile(const std::string& path);
    void OnOptions();
    void OnConvert();
    void OnHelp();
    void OnHomepage();
    void OnAbout();
    void OnLanguageCommand(int id);
    void ChooseInterfaceFont();

    // Labels and enabled buttons for the current state.
    void ApplyState();

    // The conversion run.
    void StartConversion();
    // Ends a run of any kind; `firstFieldId` names the status line's first field.
    void EndConversion(int firstFieldId);
    void EndConversion(const std::string& firstField);
    long OnGraphEvent();
    static bool OutputFileExists(const std::string& path);

    std::string sourceLine() { return Item(1001).Text(); }
    std::string statusLine() { return Item(1004).Text(); }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}  // Enter alone does nothing here
    void OnCancel() override { RequestClose(); }  // Escape goes through the close procedure
    void OnClose() override;
    void OnContextMenu(ui::Point screen) override;  // the right-click menu
    void OnTimer(int id) override;
    void OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnSysCommand(int command) override;
};

}  // namespace app
