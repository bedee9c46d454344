#include "app/MainWindow.h"

#include <filesystem>

#include "app/HelpAndAbout.h"
#include "app/QueueWindow.h"
#include "app/StatusText.h"
#include "engine/ConversionGraph.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "options/OtherMakersFilters.h"
#include "options/OutputFormat.h"
#include "options/OutputOptionsDialog.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "platform/Time.h"
#include "platform/media/Com.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/VideoFileTypes.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace app {

using namespace resources;
using engine::ConversionGraph;
using i18n::StringText;

MainWindow::MainWindow() : ui::Dialog(MainDialogTemplate(), nullptr), queue(settings::QueueFile()) {
    ConversionGraph::Instance().Attach(this, &settings, &errorText);
    ConversionGraph::Instance().SetReporter(&reporter_);
}

MainWindow::~MainWindow() {
    StopWatchingOpenerFailures();
    ConversionGraph::Instance().Attach(nullptr, nullptr, nullptr);
    ConversionGraph::Instance().SetReporter(nullptr);
}

bool MainWindow::OnInitDialog() {
    const std::string about = BuiltInString(IDS_ABOUTBOX);
    if (!about.empty()) AppendSystemMenuItem(about, IDM_ABOUTBOX);

    SetIcon(kIconResource);

    if (!shell::CurrentBackend().GetVersion(osVersion))
        ui::MessageBox(this, "Can get Windows Version", "Error", ui::MB_OK);

    ConversionGraph& graph = ConversionGraph::Instance();
    graph.ReleaseGraph();
    graph.ReleaseMediaControl();
    graph.ReleaseMediaEvent();

    if (FAILED(media::Initialize())) {
        ui::MessageBox(nullptr, "Could not initialize COM library.", "Error", ui::MB_OK);
        return false;
    }

    Item(IDC_BUTTON_BUILD_FILTERS).Show(false);

    options::LoadOutputSettings(settings, options::LoadContext{this, osVersion.major});
    // A settings file that could not be read went aside: the person learns where.
    for (const auto& file : settings::Profile().store().TakeSetAside())
        ui::AppMessageBox(i18n::FormatText(IDS_MESSAGE_SETTINGS_SET_ASIDE, file.c_str()));

    Item(IDC_STATIC_STATUS).SetText(InitialStatusLine(settings.outputPath));
    queue.Restore();
    Item(IDC_STATIC_SOURCE).SetText("00:00:00");

    options::ClearVsFilterLoadLevel(vsFilterChanged, vsFilterSavedLevel);

    i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_MAIN);
    // The keys people try first; each acts as its button does, so Open Video is
    // refused during a run and Quit goes through the close procedure.
    SetShortcut("Ctrl+O", IDC_BUTTON_ADD_VIDEO);
    SetShortcut("Ctrl+Return", IDC_BUTTON_CONVERT);
    SetShortcut("Ctrl+Q", IDC_BUTTON_EXIT);
    AcceptDrops(true);  // a file dropped on the window opens as Open Video would
    WatchOpenerFailures(*this);
    // Posted, so that the window shows before the file is probed.
    if (!startFile.empty()) PostMessage(OpenStartFileMessage);
    return true;
}

void MainWindow::OnCommand(int id) {
    if (id >= i18n::kFirstLanguageCommand && id <= i18n::kLastLanguageCommand) {
        OnLanguageCommand(id);
        return;
    }
    switch (id) {
        case IDC_BUTTON_ADD_VIDEO: OnOpenVideo(); break;
        case IDC_BUTTON_OUTPUT_SETTINGS: OnOptions(); break;
        case IDC_BUTTON_CONVERT: OnConvert(); break;
        case IDC_BUTTON_HELP:
        case ui::ID_HELP: OnHelp(); break;
        case IDC_BUTTON_HOMEPAGE: OnHomepage(); break;
        case IDC_BUTTON_QUEUE:
            OnQueue();
            break;
        case IDC_BUTTON_ABOUT:
        case IDM_ABOUT: OnAbout(); break;
        case IDC_BUTTON_EXIT: RequestClose(); break;
        case IDM_POPUPMENU_FONT: ChooseInterfaceFont(); break;
        default: ui::Dialog::OnCommand(id); break;
    }
}

void MainWindow::OnClose() {
    if (isConverting || queueRun.active()) {
        ui::MessageBox(this, StringText(IDS_MESSAGE_STOP_CONVERT),
                       StringText(IDS_MESSAGE_WARNING), ui::MB_OK);
        return;
    }
    ConversionGraph& graph = ConversionGraph::Instance();
    graph.ReleaseGraph();
    graph.ReleaseCompressorSlots();
    settings::Profile().WriteString(settings::kOptionSection, settings::kCurrentLanguageValue,
                                    i18n::LanguagePack::Instance().currentLanguage());
    options::RestoreVsFilterLoadLevel(vsFilterChanged, vsFilterSavedLevel);
    media::Uninitialize();
    StopWatchingOpenerFailures();
    EndDialog(ui::IDCANCEL);
}

void MainWindow::OnOpenVideo() {
    ui::FileChooserRequest request;
    request.owner = this;
    std::string patterns;
    for (const std::string& pattern : media::VideoFilePatterns())
        patterns += (patterns.empty() ? "" : ";") + pattern;
    request.filters = {{StringText(IDS_MESSAGE_VIDEO_FILES), patterns},
                       {StringText(IDS_MESSAGE_ALL_FILES), "*"}};
    request.filterIndex = 1;
    request.title = StringText(IDS_MESSAGE_OPEN_FILE);
    request.initialDir =
        settings::Profile().GetString(settings::kOptionSection, "LastPhotoFolder", "");
    // The first time, where videos are kept rather than wherever the program started.
    if (request.initialDir.empty())
        shell::CurrentBackend().GetFolderPath(shell::CSIDL_MYVIDEO, request.initialDir);
    request.flags = ui::OFN_EXPLORER | ui::OFN_FILEMUSTEXIST | ui::OFN_PATHMUSTEXIST |
                    ui::OFN_READONLY;
    request.multiple = true;
    const std::vector<std::string> chosen = ui::GetOpenFileNames(request);
    // One file opens as ever; several go to the queue.
    if (chosen.size() == 1) {
        OpenSourceFile(chosen.front());
    } else if (chosen.size() > 1) {
        QueueFiles(chosen);
        PostMessage(OpenQueueMessage);
    }
}

void MainWindow::OpenSourceFile(const std::string& path) {
    // A pipe or a device would hold the window until something writes to it.
    if (media::CheckSourceFile(path) == media::QV_E_NOT_REGULAR_FILE) {
        ui::AppMessageBox(i18n::FormatText(IDS_MESSAGE_NOT_REGULAR_FILE, path.c_str()));
        return;
    }
    ConversionGraph& graph = ConversionGraph::Instance();
    if (!sourcePath.empty() && graph.hasGraph()) {
        graph.ReleaseMediaEvent();
        graph.ReleaseMediaControl();
        graph.ReleaseGraph();
    }
    sourcePath = path;
    // A part chosen belongs to the source it was chosen in.
    settings.cutStart = settings.cutStop = 0;

    std::int64_t duration = 0;
    if (!graph.ProbeSource(sourcePath, duration, source, settings)) {
        ui::MessageBox(this,
                       StringText(IDS_MESSAGE_NO_DURATION) + StringText(IDS_MESSAGE_NOT_OPEN_FILE),
                       StringText(IDS_MESSAGE_ERROR) + " IDS_MESSAGE_NO_DURATION", ui::MB_OK);
        sourcePath.clear();
        // Nothing of the previous file may look as if it were still open.
        source = engine::SourceInfo{};
        Item(IDC_STATIC_SOURCE).SetText(ClockText(0));
        Item(IDC_STATIC_STATUS).SetText(InitialStatusLine(settings.outputPath));
        return;
    }
    const std::int64_t seconds = duration / kHundredNsPerSecond;
    settings::Profile().WriteString(settings::kOptionSection, "LastPhotoFolder",
                                    paths::FolderOf(sourcePath));
    // Each source gets its own output, in the folder Options holds: the next clip
    // never lands on the previous result.
    settings.outputPath = options::OutputPathForSource(settings.format, settings.outputPath, sourcePath);
    Item(IDC_STATIC_SOURCE).SetElidedText(paths::FileNameOf(sourcePath), ": " + ClockText(seconds));
    ShowOutputLine();
    if (SUCCEEDED(graph.OpenSourceGraph(sourcePath))) sourceOpened = true;
}

void MainWindow::ShowOutputLine() {
    Item(IDC_STATIC_STATUS)
        .SetText(source.width != 0 || source.height != 0
                     ? SizedStatusLine(settings.outputPath, writtenWidth(), writtenHeight())
                     : InitialStatusLine(settings.outputPath));
}

void MainWindow::OnDropFiles(const std::vector<std::string>& paths) {
    // Drops are refused while a run goes on. One file opens; several, or a
    // folder, go to the queue, shown once the drop is over.
    if (isConverting || paths.empty()) return;
    std::error_code ec;
    if (paths.size() == 1 && !std::filesystem::is_directory(paths.front(), ec)) {
        OpenSourceFile(paths.front());
        return;
    }
    QueueFiles(paths);
    PostMessage(OpenQueueMessage);
}

void MainWindow::OnOptions() {
    options::OutputOptionsDialog dialog(this);
    dialog.settings = settings;
    dialog.sourceWidth = source.width;
    dialog.sourceHeight = source.height;
    dialog.sourceFrameRate = source.frameRate;
    dialog.sourceDuration = source.duration;
    dialog.sourceOpened = sourceOpened;
    if (dialog.RunModal() != ui::IDOK) return;
    settings = dialog.settings;  // already stored by the dialog's OK
    ShowOutputLine();
}

int MainWindow::writtenWidth() const {
    // Before a source is known, the settings' size is all there is to show.
    return WrittenFrameSize(settings.format == engine::kWmv || sourcePath.empty(),
                            {settings.outputWidth, settings.outputHeight},
                            {source.width, source.height}, settings.format == engine::kMp4,
                            settings.longerSideAtMost)
        .width;
}

int MainWindow::writtenHeight() const {
    // Before a source is known, the settings' size is all there is to show.
    return WrittenFrameSize(settings.format == engine::kWmv || sourcePath.empty(),
                            {settings.outputWidth, settings.outputHeight},
                            {source.width, source.height}, settings.format == engine::kMp4,
                            settings.longerSideAtMost)
        .height;
}

void MainWindow::OnConvert() {
    if (isConverting) {
        // The file is finalised but short: the line must not say "Done".
        EndConversion(IDS_MESSAGE_CONVERSION_STOPPED);
    } else if (!ConversionGraph::Instance().hasMediaControl()) {
        ui::AppMessageBox(std::string("Please open an media file fisrt!\n") +
                          StringText(IDS_MESSAGE_OPEN_FIRST));
    } else {
        StartConversion();
    }
}

void MainWindow::OnHelp() { OpenHelp(*this); }
void MainWindow::OnHomepage() { OpenHomepage(*this); }
void MainWindow::OnAbout() { ShowAboutBox(*this); }

void MainWindow::OnSysCommand(int command) {
    if (IsAboutSysCommand(command)) OnAbout();
    else ui::Dialog::OnSysCommand(command);
}

void MainWindow::OnLanguageCommand(int id) {
    i18n::LanguagePack::Instance().OnLanguageCommand(*this, id);
}
void MainWindow::ChooseInterfaceFont() { i18n::LanguagePack::Instance().ChooseInterfaceFont(*this); }

void MainWindow::OnContextMenu(ui::Point screen) {
    if (const int command = i18n::LanguagePack::Instance().ShowContextMenu(*this, screen))
        OnCommand(command);
}

void MainWindow::ApplyState() {
    const i18n::LanguagePack& pack = i18n::LanguagePack::Instance();
    Item(IDC_BUTTON_CONVERT)
        .SetText(pack.DialogTextOrBuiltIn(isConverting ? IDS_BUTTON_STOP : IDS_BUTTON_CONVERT));
    Item(IDC_BUTTON_ADD_VIDEO).Enable(!isConverting);
    Item(IDC_BUTTON_OUTPUT_SETTINGS).Enable(!isConverting);
}

}  // namespace app
