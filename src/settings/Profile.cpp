#include "settings/Profile.h"

#include "platform/ui/Dialog.h"

namespace settings {
namespace {
std::string g_company = "QuorvelStudio";
}

void SetRegistryKey(const std::string& company) { g_company = company; }

registry::AppProfile Profile() {
    return registry::AppProfile(registry::Store::User(), g_company, ui::ApplicationName());
}

registry::SideFile QueueFile() {
    return registry::SideFile(registry::Store::User().Path().parent_path() /
                              (ui::ApplicationName() + ".queue"));
}

}  // namespace settings
