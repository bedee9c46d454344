#pragma once
// The About box (template 100): icon, the program's name, version and notices.
#include "platform/ui/Dialog.h"

namespace app {

class AboutDialog : public ui::Dialog {
public:
    explicit AboutDialog(ui::Dialog* owner);

protected:
    bool OnInitDialog() override;
};

}  // namespace app
