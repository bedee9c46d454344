// A language file's texts through the format check: whatever the file says, each
// formatted text is used with the arguments its built-in English text takes,
// without fault, and comes out no longer than the text and its arguments.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "i18n/FormattedText.h"
#include "i18n/TextKeyTable.h"
#include "platform/profile/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const profile::ProfileFile file = profile::ProfileFile::FromBytes(bytes);
    for (const i18n::TextKey& row : i18n::kTextKeyTable) {
        if (i18n::SectionOfKey(row.key) != "STRING") continue;
        const std::string text = i18n::Unescape(file.GetString("STRING", row.key, ""));
        const std::string format = i18n::CheckedFormat(text, row.id);
        const std::string shown = StrFormat(format.c_str(), "first", "second");
        if (shown.size() > format.size() + 16) std::abort();
    }
    return 0;
}
