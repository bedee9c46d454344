#pragma once
// The file a run writes. The conversion goes into a hidden file beside the output
// and is moved over the output only when the run ends well (or the user stops
// it), so a failed run never costs the user an older output, and nothing ever
// replaces the file being read.
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Result.h"

struct AVIOContext;

namespace media::detail {

class PendingOutput {
public:
    PendingOutput() = default;
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput() { Discard(); }

    // Refuses an output that is a folder or the source itself (by device and
    // inode, links and "."/".." resolved), then creates the hidden file.
    HRESULT Create(const std::string& outputPath, const std::string& sourcePath);
    const std::string& path() const { return temp_; }
    // A writer over the hidden file that remembers its first failed write with
    // the cause (a full disk is told apart from other faults), so that the run
    // can stop at that write. Null on failure.
    AVIOContext* OpenWriter();
    // Flushes and frees the writer; the first write error, or S_OK.
    HRESULT CloseWriter(AVIOContext*& writer);
    // The first write error so far (any thread), or S_OK.
    HRESULT WriteError() const { return writeError_.load(); }
    // The system's words for that error ("No space left on device"), or "".
    std::string WriteReason() const;
    // Moves the written file over the output, checking the source once more.
    HRESULT Commit();
    // Removes the hidden file (nothing else) unless it was committed.
    void Discard();

private:
    std::string output_;
    std::string temp_;
    unsigned long long sourceDevice_ = 0;
    unsigned long long sourceInode_ = 0;
    bool haveSource_ = false;
    int fd_ = -1;
    std::atomic<HRESULT> writeError_{S_OK};
    std::atomic<int> writeAvError_{0};  // FFmpeg's code for writeError_'s cause, when known

    void NoteWriteError(int avError, HRESULT hr);  // keeps the first

    static int Write(void* self, std::uint8_t* data, int size);  // FFmpeg 5.1 wants it non-const
    static std::int64_t Seek(void* self, std::int64_t offset, int whence);
};

}  // namespace media::detail
