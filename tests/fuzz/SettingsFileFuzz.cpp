// The settings file's text form: any bytes parse without fault, and what parses
// is written back in a form that parses to the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace registry::detail;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParseResult parsed = Parse(bytes);
    if (parsed.damaged) return 0;
    const std::string text = Serialize(parsed.document);
    const ParseResult again = Parse(text);
    if (again.damaged || Serialize(again.document) != text) std::abort();
    return 0;
}
