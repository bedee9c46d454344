#include "options/OutputNames.h"

#include <algorithm>
#include <filesystem>

#include "platform/Path.h"

namespace options {

std::string FreeOutputName(const std::string& wanted, const std::vector<std::string>& taken) {
    auto normal = [](const std::string& path) {
        return std::filesystem::path(path).lexically_normal().string();
    };
    std::vector<std::string> names;
    for (const std::string& path : taken) names.push_back(normal(path));
    auto isTaken = [&](const std::string& path) {
        return std::find(names.begin(), names.end(), normal(path)) != names.end();
    };
    if (!isTaken(wanted)) return wanted;
    const std::size_t nameStart = paths::NameStart(wanted);
    std::size_t dot = wanted.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) dot = wanted.size();
    for (int n = 2;; ++n) {
        const std::string candidate =
            wanted.substr(0, dot) + " (" + std::to_string(n) + ")" + wanted.substr(dot);
        if (!isTaken(candidate)) return candidate;
    }
}

}  // namespace options
