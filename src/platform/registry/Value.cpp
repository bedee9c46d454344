// Typed registry values and their raw (narrow-API) data form.
#include <algorithm>

#include "platform/registry/Registry.h"

namespace registry {

Value Value::Dword(std::uint32_t v) {
    Value r;
    r.type = ValueType::Dword;
    r.dword = v;
    return r;
}

Value Value::String(std::string v) {
    Value r;
    r.type = ValueType::String;
    r.text = std::move(v);
    return r;
}

Value Value::Binary(std::vector<std::uint8_t> v) {
    Value r;
    r.type = ValueType::Binary;
    r.bytes = std::move(v);
    return r;
}

Value Value::Other(std::uint32_t registryType, std::vector<std::uint8_t> data) {
    Value r;
    r.type = ValueType::Other;
    r.otherType = registryType;
    r.bytes = std::move(data);
    return r;
}

std::uint32_t Value::RegistryType() const {
    switch (type) {
        case ValueType::Dword:
            return kRegDword;
        case ValueType::String:
            return kRegSz;
        case ValueType::Binary:
            return kRegBinary;
        case ValueType::Other:
            break;
    }
    return otherType;
}

std::vector<std::uint8_t> Value::Data() const {
    switch (type) {
        case ValueType::Dword:
            return {static_cast<std::uint8_t>(dword), static_cast<std::uint8_t>(dword >> 8),
                    static_cast<std::uint8_t>(dword >> 16), static_cast<std::uint8_t>(dword >> 24)};
        case ValueType::String: {
            std::vector<std::uint8_t> data(text.begin(), text.end());
            data.push_back(0);
            return data;
        }
        case ValueType::Binary:
        case ValueType::Other:
            break;
    }
    return bytes;
}

Value Value::FromData(std::uint32_t registryType, std::vector<std::uint8_t> data) {
    switch (registryType) {
        case kRegDword:
            if (data.size() == 4)
                return Dword(static_cast<std::uint32_t>(data[0]) |
                             static_cast<std::uint32_t>(data[1]) << 8 |
                             static_cast<std::uint32_t>(data[2]) << 16 |
                             static_cast<std::uint32_t>(data[3]) << 24);
            break;
        case kRegSz: {
            const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
            return String(std::string(data.begin(), end));
        }
        case kRegBinary:
            return Binary(std::move(data));
        default:
            break;
    }
    return Other(registryType, std::move(data));
}

}  // namespace registry
