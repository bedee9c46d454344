#pragma once
// The application profile: per-user values under
// Software\<company>\<application name>\<section>.
#include <string>

#include "platform/registry/Registry.h"

namespace settings {

// Roots the profile at Software\<company>\<application>; until then the
// company is "QuorvelStudio" and the application the executable's base name.
void SetRegistryKey(const std::string& company);
registry::AppProfile Profile();
// The program's queue of conversions: "<application>.queue" in the folder of the
// settings file.
registry::SideFile QueueFile();

}  // namespace settings
