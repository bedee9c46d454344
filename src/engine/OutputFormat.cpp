#include "engine/OutputFormat.h"

#include <filesystem>

#include "platform/Text.h"

namespace engine {

int FormatOfName(std::string_view name) {
    for (std::size_t i = 0; i < OutputFormatTable.size(); ++i)
        if (text::EqualNoCase(name, OutputFormatTable[i].name)) return static_cast<int>(i);
    return -1;
}

int FormatOfPath(std::string_view path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension.empty() ? -1 : FormatOfName(std::string_view(extension).substr(1));
}

std::vector<std::string> FormatNames() {
    std::vector<std::string> names;
    for (const OutputFormatRow& row : OutputFormatTable) names.emplace_back(row.name);
    return names;
}

}  // namespace engine
