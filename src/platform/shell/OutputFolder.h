#pragma once
// The folder an output file goes to: made when it is missing, and asked whether
// this user may write in it, before anything is built to write there.
#include <string>

namespace shell {

enum class FolderState {
    Ready,        // there (or just made) and writable
    CannotMake,   // missing, and it cannot be made; `reason` says why
    NotWritable,  // there, but this user may not create files in it
};

struct FolderCheck {
    FolderState state = FolderState::Ready;
    std::string folder;  // the folder the output file would be written in
    std::string reason;  // the system's words for a folder that cannot be made
};

FolderCheck PrepareOutputFolder(const std::string& outputPath);

}  // namespace shell
