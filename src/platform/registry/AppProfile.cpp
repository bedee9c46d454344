// The application profile: (section, key) values under
// Software\<company>\<application>\<section> of the user's registry.
#include "platform/registry/Registry.h"

namespace registry {

AppProfile::AppProfile(Store& store, std::string company, std::string application)
    : store_(&store), company_(std::move(company)), application_(std::move(application)) {}

std::string AppProfile::SectionKey(std::string_view section) const {
    std::string key = "Software\\" + company_ + "\\" + application_ + "\\";
    key += section;
    return key;
}

int AppProfile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = store_->Get(SectionKey(section), key);
    if (!value || value->type != ValueType::Dword) return defaultValue;
    return static_cast<int>(static_cast<std::int32_t>(value->dword));
}

std::string AppProfile::GetString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    auto value = store_->Get(SectionKey(section), key);
    if (!value || value->type != ValueType::String) return std::string(defaultValue);
    return std::move(value->text);
}

bool AppProfile::WriteInt(std::string_view section, std::string_view key, int value) {
    return store_->Set(SectionKey(section), key, Value::Dword(static_cast<std::uint32_t>(value)));
}

bool AppProfile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
    return store_->Set(SectionKey(section), key, Value::String(std::string(value)));
}

std::optional<std::vector<std::uint8_t>> AppProfile::GetBinary(std::string_view section,
                                                               std::string_view key) const {
    auto value = store_->Get(SectionKey(section), key);
    if (!value || value->type != ValueType::Binary) return std::nullopt;
    return std::move(value->bytes);
}

bool AppProfile::WriteBinary(std::string_view section, std::string_view key,
                             const std::vector<std::uint8_t>& value) {
    return store_->Set(SectionKey(section), key, Value::Binary(value));
}

}  // namespace registry
