#pragma once
// Splitting a path at its last '/'. Only the file name part ever holds an
// extension; a dot in a folder name is not one.
#include <string>
#include <string_view>

namespace paths {

// Where the file name begins: just past the last '/', or 0 when there is none.
std::size_t NameStart(std::string_view path);
// The part up to and including the last '/'; empty when there is none.
std::string FolderOf(const std::string& path);
// The file name and extension: everything after the last '/'.
std::string FileNameOf(const std::string& path);

}  // namespace paths
