#pragma once
// The name asked for when the Options are saved as a preset or a preset is renamed.
#include <string>

#include "platform/ui/Dialog.h"

namespace options {

class PresetNameDialog : public ui::Dialog {
public:
    PresetNameDialog(ui::Dialog* owner, std::string initial);
    std::string name;  // shown when it opens; what was typed, after OK

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override;
};

}  // namespace options
