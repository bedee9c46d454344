#pragma once
// The file-system questions the language files raise: does a file exist, what
// lies in a folder, and which entry a name means when letter case is ignored
// (language files are named on systems whose file names ignore case).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace profile {

// Whether a regular file is there that can be opened for reading. A folder,
// FIFO, socket or device is none: reading one could wait without end.
bool FileExists(const std::string& path);

// A language file is some kilobytes; as with the settings file, anything larger
// is not one (and reading a huge one would take the memory of several copies).
inline constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

// The bytes of such a file; none when there is no such file, it cannot be read or
// it is larger than kMaxFileBytes.
std::optional<std::string> ReadRegularFile(const std::string& path);

// Names of the entries of a folder (files and folders alike, without "." and
// ".."), in the order the system lists them; empty when it cannot be read.
std::vector<std::string> ListFolder(const std::string& folder);

// `folder` + "/" + `name` when that exists, otherwise the first entry of the
// folder whose name equals `name` ignoring ASCII letter case.
std::optional<std::string> FindIgnoringCase(const std::string& folder, const std::string& name);

}  // namespace profile
