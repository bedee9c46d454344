// Language (INI) files: any bytes, in every encoding the reader is asked for,
// read without fault, and every value read is at most the reader's value size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "platform/profile/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the reading options, the rest is the file.
    static constexpr int kCodePages[] = {0, 1252, 1251, 936, 65001, 20127, 12345};
    profile::ReadOptions options;
    options.utf16 = (data[0] & 0x80) != 0;
    options.ansiCodePage = kCodePages[(data[0] & 0x7F) % std::size(kCodePages)];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const profile::ProfileFile file = profile::ProfileFile::FromBytes(bytes, options);
    for (const char* section : {"MENU", "DIALOG", "STRING", "s", ""})
        for (const char* key : {"IDS_MESSAGE_WARNING", "IDD_PROGRAM_CAPTION", "k", ""})
            if (file.GetString(section, key, "").size() > profile::kMaxValueBytes) std::abort();
    if (options.ansiCodePage == 65001 && !options.utf16 &&
        !profile::IsValidUtf8(profile::CodePageToUtf8(bytes, 65001)))
        std::abort();
    return 0;
}
