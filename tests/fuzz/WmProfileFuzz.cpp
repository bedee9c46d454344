// Windows Media profile text: any text loads or is refused without fault, and a
// profile that loads saves to a text that loads and saves to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/wmf/Wmf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::shared_ptr<wmf::WMProfileManager> manager = [] {
        std::shared_ptr<wmf::WMProfileManager> made;
        if (FAILED(wmf::WMCreateProfileManager(made))) std::abort();
        return made;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::shared_ptr<wmf::WMProfile> profile;
    if (FAILED(manager->LoadProfileByData(text, profile))) return 0;
    std::string saved;
    if (FAILED(manager->SaveProfile(profile, saved))) return 0;  // a format the text cannot carry
    std::shared_ptr<wmf::WMProfile> loaded;
    if (FAILED(manager->LoadProfileByData(saved, loaded))) std::abort();
    std::string again;
    if (FAILED(manager->SaveProfile(loaded, again)) || again != saved) std::abort();
    return 0;
}
