#pragma once
// The one window the user works in.
#include <cstdint>
#include <string>
#include <vector>

#include "app/Queue.h"
#include "app/QueueRun.h"
#include "app/WindowReporter.h"
#include "engine/SourceInfo.h"
#include "options/OutputSettings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Dialog.h"

namespace app {

// Private window message: open the file the command line named.
inline constexpr unsigned OpenStartFileMessage = 0x40F;
// Private window message: show the Queue window (after files were queued).
inline constexpr unsigned OpenQueueMessage = 0x411;

class MainWindow : public ui::Dialog {
public:
    MainWindow();
    ~MainWindow() override;

    // Window state (the Converting / Source ready / No source states derive from these).
    engine::OutputSettings settings;
    engine::SourceInfo source;
    std::string sourcePath;
    bool sourceOpened = false;
    bool isConverting = false;
    int elapsedSeconds = 0;
    std::string idleCaption;  // the title without the percentage of a run
    std::string errorText;
    std::string startFile;  // opened once the window is up (from the command line)
    // The run's compressors by name, and the stored settings it goes without
    // ("name: key=value"), for the completion line: a desktop user sees no
    // standard error.
    std::string runVideoCompressor;
    std::string runAudioCompressor;
    std::vector<std::string> settingsNotUsed;
    shell::OsVersion osVersion;
    bool vsFilterChanged = false;
    std::uint32_t vsFilterSavedLevel = 0;

    // The queue of conversions, kept beside the settings, and its run.
    Queue queue;
    QueueRun queueRun{queue, *this};

    // Commands.
    void OnOpenVideo();
    // Opens `path` as Open Video does once a file is chosen.
    void OpenSourceFile(const std::string& path);
    void OnOptions();
    void OnConvert();
    void OnHelp();
    void OnHomepage();
    void OnAbout();
    void OnQueue();
    // Queues the files (a folder: its video files, its subfolders' when the
    // person says so), each a job made from the settings as they are now.
    void QueueFiles(const std::vector<std::string>& paths);
    // The chooser for several files, then QueueFiles; over `owner`.
    void ChooseFilesForQueue(ui::Dialog* owner);
    // The waiting jobs take the current options.
    void ApplyOptionsToWaitingJobs();
    // A job for `file` from the current options, into the output folder.
    engine::Job JobFor(const std::string& file) const;
    void OnLanguageCommand(int id);
    void ChooseInterfaceFont();

    // The status line for the output to come: its path and the size it gets.
    void ShowOutputLine();
    // Labels and enabled buttons for the current state.
    void ApplyState();

    // The conversion run.
    void StartConversion();
    // Ends a run of any kind; `firstFieldId` names the status line's first field.
    void EndConversion(int firstFieldId);
    void EndConversion(const std::string& firstField);
    long OnGraphEvent();
    // The progress bar and the percentage in the title, shown for a run and taken away
    // after it; updated from how much of the source is written.
    void ShowRunProgress(bool running);
    void UpdateRunProgress();
    static bool OutputFileExists(const std::string& path);
    // The width and height the output file gets, as the status line shows them.
    int writtenWidth() const;
    int writtenHeight() const;

    std::string sourceLine() { return Item(1001).Text(); }
    std::string statusLine() { return Item(1004).Text(); }
    std::string progressLine() { return Item(1005).Text(); }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}  // Enter alone does nothing here
    void OnCancel() override { RequestClose(); }  // Escape goes through the close procedure
    void OnClose() override;
    void OnContextMenu(ui::Point screen) override;  // the right-click menu
    void OnDropFiles(const std::vector<std::string>& paths) override;
    void OnTimer(int id) override;
    void OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnSysCommand(int command) override;

private:
    WindowReporter reporter_{this};
};

}  // namespace app
