#include "options/OtherMakersFilters.h"

#include <optional>
#include <vector>

#include "platform/registry/Registry.h"

namespace options {
namespace {

// The sizes of the buffers the values are read into: a larger value does not
// fit, so the read fails and nothing is touched.
constexpr std::size_t kDivXBufferSize = 260;
constexpr std::size_t kLoadLevelSize = 4;

struct RawValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// Reads a value of any type as raw bytes, failing as a read into a buffer of
// `capacity` bytes would.
std::optional<RawValue> ReadRaw(const char* key, const char* name, std::size_t capacity) {
    const auto value = registry::Store::User().Get(key, name);
    if (!value) return std::nullopt;
    RawValue raw{value->RegistryType(), value->Data()};
    if (raw.data.size() > capacity) return std::nullopt;
    return raw;
}

std::vector<std::uint8_t> LittleEndian(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// Neither key is ever created: writes go only into a key that exists.
void WriteRaw(const char* key, const char* name, std::uint32_t type,
              std::vector<std::uint8_t> data) {
    registry::Store::User().SetIfKeyExists(key, name,
                                           registry::Value::FromData(type, std::move(data)));
}

}  // namespace

void DisableDivXFeedback() {
    if (!registry::Store::User().KeyExists(kDivXKey)) return;
    auto raw = ReadRaw(kDivXKey, kDivXFeedbackValue, kDivXBufferSize);
    if (!raw) return;
    // Only the first byte is switched on; type, size and the other bytes stay.
    // An empty value has no first byte to write back.
    if (!raw->data.empty()) raw->data[0] = 1;
    WriteRaw(kDivXKey, kDivXFeedbackValue, raw->type, std::move(raw->data));
}

void ClearVsFilterLoadLevel(bool& vsFilterChanged, std::uint32_t& vsFilterSavedLevel) {
    if (!registry::Store::User().KeyExists(kVsFilterKey)) return;
    const auto raw = ReadRaw(kVsFilterKey, kVsFilterLoadLevelValue, kLoadLevelSize);
    if (!raw) return;
    std::uint32_t level = 0;
    for (std::size_t i = 0; i < raw->data.size(); ++i)
        level |= static_cast<std::uint32_t>(raw->data[i]) << (8 * i);
    vsFilterSavedLevel = level;
    if (vsFilterSavedLevel == 0) return;
    WriteRaw(kVsFilterKey, kVsFilterLoadLevelValue, raw->type, LittleEndian(0));
    vsFilterChanged = true;
}

void RestoreVsFilterLoadLevel(bool& vsFilterChanged, std::uint32_t vsFilterSavedLevel) {
    if (!vsFilterChanged) return;
    if (registry::Store::User().KeyExists(kVsFilterKey)) {
        // Written back only while the value still exists, with the type it has now.
        if (const auto raw = ReadRaw(kVsFilterKey, kVsFilterLoadLevelValue, kLoadLevelSize))
            WriteRaw(kVsFilterKey, kVsFilterLoadLevelValue, raw->type,
                     LittleEndian(vsFilterSavedLevel));
    }
    vsFilterChanged = false;
}

}  // namespace options
