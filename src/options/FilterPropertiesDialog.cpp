#include "options/FilterPropertiesDialog.h"

#include "i18n/LanguagePack.h"
#include "platform/media/Media.h"
#include "platform/ui/PropertyFrame.h"
#include "resources/FilterPropertiesTemplate.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"

namespace options {

using namespace resources;


FilterPropertiesDialog::FilterPropertiesDialog(std::shared_ptr<media::FilterGraph> graph,
                                               ui::Dialog* owner)
    : ui::Dialog(FilterPropertiesTemplate(), owner), graph_(std::move(graph)) {}

bool FilterPropertiesDialog::OnInitDialog() {
    // The options dialog's word for Settings serves here too.
    const auto& pack = i18n::LanguagePack::Instance();
    SetCaption(pack.StringText(resources::IDS_FILTER_PROPERTIES_CAPTION));
    Item(ui::IDCANCEL).SetText(pack.StringText(resources::IDS_BUTTON_CONTINUE));
    if (const std::string settings = pack.DialogText(resources::IDC_BUTTON_VIDEO_CODEC_SETTINGS);
        !settings.empty())
        Item(IDC_BUTTON_FILTER_SETTINGS).SetText(settings);
    FillFilterList();
    Item(IDC_LIST_FILTERS).SetCurSel(0);
    UpdateSettingsButton();
    return true;
}

void FilterPropertiesDialog::OnCommand(int id) {
    if (id == IDC_BUTTON_FILTER_SETTINGS) ShowFilterPages();
    else ui::Dialog::OnCommand(id);  // Continue is the cancel command
}

void FilterPropertiesDialog::OnSelectionChange(int id) {
    if (id == IDC_LIST_FILTERS) UpdateSettingsButton();
}

void FilterPropertiesDialog::FillFilterList() {
    ui::Control list = Item(IDC_LIST_FILTERS);
    list.ResetContent();
    std::shared_ptr<media::EnumFilters> filters;
    if (!graph_ || FAILED(graph_->EnumFilters(filters))) {
        list.AddString("<ERROR>");
        return;
    }
    std::shared_ptr<media::Filter> filter;
    while (filters->Next(filter) == S_OK) {
        media::FilterInfo info;
        list.AddString(SUCCEEDED(filter->QueryFilterInfo(info)) ? info.name : "<ERROR>");
    }
}

std::shared_ptr<media::Filter> FilterPropertiesDialog::FindGraphFilterByName(
    const std::string& name) {
    std::shared_ptr<media::EnumFilters> filters;
    if (!graph_ || FAILED(graph_->EnumFilters(filters))) return nullptr;
    std::shared_ptr<media::Filter> filter;
    while (filters->Next(filter) == S_OK) {
        media::FilterInfo info;
        if (FAILED(filter->QueryFilterInfo(info))) return nullptr;
        if (info.name == name) return filter;
    }
    return nullptr;
}

std::string FilterPropertiesDialog::SelectedName() {
    ui::Control list = Item(IDC_LIST_FILTERS);
    return list.ItemText(list.CurSel()).substr(0, 127);
}

void FilterPropertiesDialog::UpdateSettingsButton() {
    const auto filter = FindGraphFilterByName(SelectedName());
    if (!filter) return;
    Item(IDC_BUTTON_FILTER_SETTINGS).Enable(media::QuerySpecifyPropertyPages(filter) != nullptr);
}

void FilterPropertiesDialog::ShowFilterPages() {
    const auto filter = FindGraphFilterByName(SelectedName());
    if (!filter) return;
    const auto pages = media::QuerySpecifyPropertyPages(filter);
    media::FilterInfo info;
    std::vector<media::PropertyPage> mediaPages;
    if (!pages || FAILED(filter->QueryFilterInfo(info)) || FAILED(pages->GetPages(mediaPages)))
        return;
    std::vector<ui::FramePage> framePages;
    for (const auto& page : mediaPages) {
        ui::FramePage framePage{page.title, {}};
        for (const auto& o : page.options)
            // The general settings first; the encoder's own under Advanced.
            framePage.options.push_back(ui::FrameOption{o.name, o.help, o.type, o.minimum, o.maximum,
                                                        o.value, o.choices, "",
                                                        &page != &mediaPages.front()});
        framePages.push_back(std::move(framePage));
    }
    ui::ShowPropertyFrame(this, info.name, framePages,
                          [&pages](const std::string& name, const std::string& value) {
                              return SUCCEEDED(pages->SetOption(name, value));
                          });
}

}  // namespace options
