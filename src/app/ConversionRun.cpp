// The conversion run of the main window: start, progress, graph events, end.
#include <filesystem>

#include "app/HelpAndAbout.h"
#include "app/MainWindow.h"
#include "app/StatusText.h"
#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "engine/CutTimes.h"
#include "engine/RunNotes.h"
#include "engine/RunProgress.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "options/FilterPropertiesDialog.h"
#include "options/OutputFolderCheck.h"
#include "options/OutputFormat.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "platform/Time.h"
#include "platform/media/Media.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace app {

using engine::CompressorCategory;
using engine::ConversionGraph;
using i18n::StringText;
using namespace resources;

namespace {

constexpr int ConversionTimer = 1112;

// Whether the two paths name one file (links resolved).
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

bool MainWindow::OutputFileExists(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    return !ec && std::filesystem::exists(status);
}

void MainWindow::StartConversion() {
    ConversionGraph& graph = ConversionGraph::Instance();

    // Replacing the source would delete the user's only copy.
    if (SameFile(settings.outputPath, sourcePath)) {
        ui::AppMessageBox(StringText(IDS_MESSAGE_OUTPUT_IS_SOURCE));
        return;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(settings.outputPath, ec)) {
        ui::AppMessageBox(
            i18n::FormatText(IDS_MESSAGE_OUTPUT_IS_FOLDER, settings.outputPath.c_str()));
        return;
    }
    // Said in a sentence before anything is built, rather than as a failed start.
    if (!options::OutputFolderUsable(settings.outputPath)) return;
    // Nothing is removed here: the run writes beside the old output and takes its
    // place only when it ends well. Only a file the person agreed to replace is
    // replaced; one that appears during the run is left alone.
    graph.replaceOutput = false;
    if (OutputFileExists(settings.outputPath)) {
        const std::string question =
            StrFormat("%s ", settings.outputPath.c_str()) + StringText(IDS_MESSAGE_FILE_EXIST);
        if (ui::MessageBox(this, question, StringText(IDS_MESSAGE_WARNING),
                           ui::MB_YESNO | ui::MB_ICONEXCLAMATION | ui::MB_DEFBUTTON2) != ui::IDYES)
            return;
        graph.replaceOutput = true;
    }

    // Refusals noted before this run concern another one.
    media::TakeSettingsRefused();
    runVideoCompressor =
        settings.useVideoCompressor == 1
            ? engine::CompressorName(CompressorCategory::Video,
                                     engine::VideoCompressorSlot(settings, settings.format),
                                     graph.reporter())
            : std::string();
    runAudioCompressor =
        settings.useAudioCompressor == 1
            ? engine::CompressorName(CompressorCategory::Audio,
                                     engine::AudioCompressorSlot(settings, settings.format),
                                     graph.reporter())
            : std::string();
    settingsNotUsed = engine::StoredSettingsNotUsed(runVideoCompressor, CompressorCategory::Video);
    for (auto& note : engine::StoredSettingsNotUsed(runAudioCompressor, CompressorCategory::Audio))
        settingsNotUsed.push_back(std::move(note));
    if (FAILED(graph.EnsureCompressors())) {
        EndConversion(IDS_MESSAGE_ERROR);
        return;
    }
    if (settings.format == engine::kWebm) {
        options::FilterPropertiesDialog properties(graph.graphManager, this);
        properties.RunModal();
    }
    const HRESULT hr = graph.mediaControl ? graph.mediaControl->Run() : E_POINTER;
    if (SUCCEEDED(hr)) {
        isConverting = true;
        elapsedSeconds = 0;
        ApplyState();
        ShowRunProgress(true);
        SetTimer(ConversionTimer, 1000);
        return;
    }
    if (hr == media::QV_E_SIZE_UNREACHABLE) {
        // Refused before anything ran: the person hears what size would do.
        ui::AppMessageBox(graph.SizeRefusal());
    } else {
        ui::AppMessageBox(std::string("can not pControl->Run()!!!\n") + StringText(IDS_MESSAGE_RUN_NOT_STARTED));
        graph.ShowGraphErrorText(hr);
    }
    EndConversion(IDS_MESSAGE_ERROR);
}

void MainWindow::EndConversion(int firstFieldId) { EndConversion(StringText(firstFieldId)); }

void MainWindow::EndConversion(const std::string& firstField) {
    ConversionGraph& graph = ConversionGraph::Instance();
    KillTimer(ConversionTimer);
    if (graph.mediaControl) graph.mediaControl->Stop();
    if (graph.mediaEvent) graph.mediaEvent->SetNotifyWindow(nullptr);
    std::vector<std::string> refusedBy;
    for (const auto& filter : media::TakeSettingsRefused()) {
        if (filter == graph.videoCompressor && !runVideoCompressor.empty())
            refusedBy.push_back(runVideoCompressor);
        else if (filter == graph.audioCompressor && !runAudioCompressor.empty())
            refusedBy.push_back(runAudioCompressor);
    }
    std::string note = SettingsNote(settingsNotUsed, refusedBy);
    // What the run went without or worked around (damaged frames, a rotation it
    // could not apply...), read before the graph's events are let go.
    if (graph.mediaEvent)
        if (const std::string runNotes = engine::RunNotesText(graph.mediaEvent->RunNotes(), settings.format);
            !runNotes.empty())
            note += (note.empty() ? "" : " ") + runNotes;
    settingsNotUsed.clear();
    // A stopped file of a chosen size is not kept at all.
    if (firstField == StringText(IDS_MESSAGE_CONVERSION_STOPPED) && engine::AsksForSize(settings))
        note += (note.empty() ? "" : " ") + StringText(IDS_NOTE_SIZE_STOPPED);
    const std::string keptAside = graph.KeptAside();
    if (!keptAside.empty())
        note = i18n::FormatText(IDS_MESSAGE_OUTPUT_APPEARED, settings.outputPath.c_str(),
                                keptAside.c_str()) +
               (note.empty() ? "" : " " + note);
    graph.TearDownConversionGraph(graph.graphManager, sourcePath);
    graph.ReleaseMediaEvent();
    graph.ReleaseMediaControl();
    isConverting = false;
    elapsedSeconds = 0;
    ApplyState();
    ShowRunProgress(false);
    std::string line =
        EndStatusLine(firstField, keptAside.empty() ? settings.outputPath : keptAside,
                      writtenWidth(), writtenHeight());
    if (!note.empty()) line += "     " + note;
    Item(IDC_STATIC_STATUS).SetText(line);
    graph.OpenSourceGraph(sourcePath);
}

void MainWindow::OnTimer(int id) {
    if (id == QueueTimer) queueRun.OnTick();
    if (id != ConversionTimer) return;
    ++elapsedSeconds;
    UpdateRunProgress();
}

void MainWindow::OnMessage(unsigned message, std::uintptr_t, std::intptr_t) {
    if (message == media::GraphEventMessageNumber) OnGraphEvent();
    else if (message == OpenerFailedMessage) ShowPageTheOpenerGaveUpOn(*this);
    else if (message == OpenStartFileMessage) OpenSourceFile(startFile);
    else if (message == QueueEventMessage)
        queueRun.OnGraphEvent();
    else if (message == OpenQueueMessage)
        OnQueue();
}

long MainWindow::OnGraphEvent() {
    ConversionGraph& graph = ConversionGraph::Instance();
    if (!graph.mediaEvent) return 0;
    HRESULT last = 0;
    long code = 0;
    media::LONG_PTR param1 = 0, param2 = 0;
    while (graph.mediaEvent && SUCCEEDED(graph.mediaEvent->GetEvent(code, param1, param2, 0))) {
        last = graph.mediaEvent->FreeEventParams(code, param1, param2);
        if (code == media::EC_COMPLETE && param1 == media::QV_S_SOURCE_ENDED_EARLY) {
            EndConversion(i18n::FormatText(
                IDS_MESSAGE_SOURCE_ENDED_EARLY, ClockText(param2 / kHundredNsPerSecond).c_str(),
                ClockText(engine::PartLength(settings.cutStart, settings.cutStop, source.duration) /
                          kHundredNsPerSecond)
                    .c_str()));
        } else if (code == media::EC_COMPLETE) {
            EndConversion(IDS_MESSAGE_CONVERSION_DONE);
        } else if (code == media::EC_ERRORABORT) {
            // An aborted run ends here rather than counting on until Stop; the
            // run is over before the box shows, so no later event can end it twice.
            // The reason is read first: ending the run lets go of the events.
            const std::string reason = graph.RunFailureReason();
            EndConversion(IDS_MESSAGE_ERROR);
            const auto hr = static_cast<HRESULT>(param1);
            ui::AppMessageBox(engine::WithReason(
                hr == media::HRESULT_DISK_FULL
                    ? i18n::FormatText(IDS_MESSAGE_DISK_FULL,
                                       paths::FolderOf(settings.outputPath).c_str())
                    : media::ErrorText(hr),
                reason));
        }
    }
    return last;
}

}  // namespace app
