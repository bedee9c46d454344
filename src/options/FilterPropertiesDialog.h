#pragma once
// Lists the filters of a built conversion graph and opens the property frame
// of those that have settings, just before the run starts.
#include <memory>
#include <string>

#include "platform/ui/Dialog.h"

namespace media {
class Filter;
class FilterGraph;
}  // namespace media

namespace options {

class FilterPropertiesDialog : public ui::Dialog {
public:
    FilterPropertiesDialog(std::shared_ptr<media::FilterGraph> graph, ui::Dialog* owner);

    void FillFilterList();
    std::shared_ptr<media::Filter> FindGraphFilterByName(const std::string& name);
    void UpdateSettingsButton();
    void ShowFilterPages();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnSelectionChange(int id) override;

private:
    std::string SelectedName();
    std::shared_ptr<media::FilterGraph> graph_;
};

}  // namespace options
