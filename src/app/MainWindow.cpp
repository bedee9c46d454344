#include "app/MainWindow.h"

#include "app/OtherMakersFilters.h"
#include "app/Profile.h"
#include "app/StatusText.h"
#include "engine/ConversionGraph.h"
#include "engine/Runtime.h"
#include "i18n/LanguagePack.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace app {

using namespace resources;
using engine::ConversionGraph;
using i18n::StringText;

namespace {
constexpr int kFirstLanguageCommand = 45400;
constexpr int kLastLanguageCommand = 46399;
}  // namespace

MainWindow::MainWindow() : ui::Dialog(MainDialogTemplate(), nullptr) {}

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

    if (FAILED(engine::CoInitialize())) {
        ui::MessageBox(nullptr, "Could not initialize COM library.", "Error", ui::MB_OK);
        return false;
    }

    Item(IDC_BUTTON_BUILD_FILTERS).Show(false);

    options::LoadOutputSettings(settings, options::LoadContext{this, osVersion.major});

    Item(IDC_STATIC_STATUS).SetText(InitialStatusLine(settings.outputPath));
    Item(IDC_STATIC_SOURCE).SetText("00:00:00");

    ClearVsFilterLoadLevel(vsFilterChanged, vsFilterSavedLevel);

    i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_MAIN);
    return true;
}

void MainWindow::OnCommand(int id) {
    if (id >= kFirstLanguageCommand && id <= kLastLanguageCommand) {
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
        case IDC_BUTTON_ABOUT:
        case IDM_ABOUT: OnAbout(); break;
        case IDC_BUTTON_EXIT: RequestClose(); break;
        case IDM_POPUPMENU_FONT: ChooseInterfaceFont(); break;
        default: ui::Dialog::OnCommand(id); break;
    }
}

void MainWindow::OnClose() {
    if (isConverting == 1) {
        ui::MessageBox(this, StringText(IDS_MESSAGE_STOP_CONVERT),
                       StringText(IDS_MESSAGE_WARNING), ui::MB_OK);
        return;
    }
    ConversionGraph& graph = ConversionGraph::Instance();
    graph.ReleaseGraph();
    graph.ReleaseCompressorSlots();
    Profile().WriteString("Option", "CurrentLanguage",
                          i18n::LanguagePack::Instance().currentLanguage());
    RestoreVsFilterLoadLevel(vsFilterChanged, vsFilterSavedLevel);
    engine::CoUninitialize();
    EndDialog(ui::IDCANCEL);
}

void MainWindow::OnOpenVideo() {
    ui::FileChooserRequest request;
    request.owner = this;
    request.filters = {{"Video Files (*.*)", "*.*"}};
    request.filterIndex = 1;
    request.title = StringText(IDS_MESSAGE_OPEN_FILE);
    request.initialDir = Profile().GetString("Option", "LastPhotoFolder", "");
    request.flags = ui::OFN_EXPLORER | ui::OFN_FILEMUSTEXIST | ui::OFN_PATHMUSTEXIST |
                    ui::OFN_READONLY;
    const auto chosen = ui::GetOpenFileName(request);
    if (!chosen) return;

    ConversionGraph& graph = ConversionGraph::Instance();
    if (!sourcePath.empty() && graph.hasGraph()) {
        graph.ReleaseMediaEvent();
        graph.ReleaseMediaControl();
        graph.ReleaseGraph();
    }
    sourcePath = *chosen;
    // Probing and opening the source arrive with the media engine.
    Profile().WriteString("Option", "LastPhotoFolder", FolderOf(sourcePath));
}

void MainWindow::OnOptions() {
    // The options dialog arrives with its own window; the status line it leaves is composed here.
}

void MainWindow::OnConvert() {
    if (isConverting) {
        return;  // ending a run arrives with the conversion run
    }
    if (!ConversionGraph::Instance().hasMediaControl()) {
        ui::AppMessageBox("Please open an media file fisrt!");
        return;
    }
}

void MainWindow::OnHelp() {}
void MainWindow::OnHomepage() {}
void MainWindow::OnAbout() {}
void MainWindow::OnLanguageCommand(int) {}
void MainWindow::ChooseInterfaceFont() {}

void MainWindow::ApplyState() {
    const i18n::LanguagePack& pack = i18n::LanguagePack::Instance();
    Item(IDC_BUTTON_CONVERT)
        .SetText(pack.DialogTextOrBuiltIn(isConverting ? IDS_BUTTON_STOP : IDS_BUTTON_CONVERT));
    Item(IDC_BUTTON_ADD_VIDEO).Enable(!isConverting);
    Item(IDC_BUTTON_OUTPUT_SETTINGS).Enable(!isConverting);
}

}  // namespace app
