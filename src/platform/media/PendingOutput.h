#pragma once
// The file a run writes. The conversion goes into a hidden file beside the output
// and is moved into place only when the run ends well (or is stopped), so a
// failed run never costs the user an older output, and nothing ever replaces the
// file being read.
//
// The hidden file is ".NAME.part-XXXXXXXX", made within the file system's name
// limit by shortening NAME. It is created once and written, read back and moved
// through that one descriptor, never reopened by name, so a link swapped in
// under its name is never written through; before the move its name is checked
// to still be that file. The descriptor holds a lock while the run lasts: a part
// file nobody holds was left by a run that was killed.
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Result.h"

struct AVDictionary;
struct AVFormatContext;
struct AVIOContext;

namespace media::detail {

class PendingOutput {
public:
    PendingOutput() = default;
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput() { Discard(); }

    // Refuses an output that is a folder or the source itself (by device and
    // inode, links and "."/".." resolved). A symbolic link at the output is
    // followed: the file it names is the one replaced. Removes the part files of
    // this output that no run holds, then creates the hidden file, locked, with
    // the permission bits of the file it may replace.
    HRESULT Create(const std::string& outputPath, const std::string& sourcePath);
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
    // AVFormatContext's io_open and io_close2 for a muxer that reads its own file
    // back (MP4 moving its index to the front): a reader over a copy of the hidden
    // file's descriptor, whatever name is asked for. The context's opaque is this.
    static int OpenReader(AVFormatContext* context, AVIOContext** reader, const char* url,
                          int flags, AVDictionary** options);
    static int CloseReader(AVFormatContext* context, AVIOContext* reader);

    // Moves the written file into place, checking the source once more. With
    // `replace` it takes the place of whatever is at the output; without, a file
    // that appeared there meanwhile is left alone and this one is kept beside it
    // as "NAME (2).EXT" (the next free number), or "NAME.partial.EXT" when the run
    // was `stopped`.
    HRESULT Commit(bool replace, bool stopped);
    // Where Commit kept the file when it could not take the output's place; "" when it did.
    const std::string& keptAside() const { return keptAside_; }
    // The hidden file's size in bytes, as written so far (-1 when there is none).
    std::int64_t Size() const;
    // Removes the hidden file (nothing else) unless it was committed.
    void Discard();

private:
    // The name beside the output for the `n`th try (0: the output's own name).
    std::string Candidate(int n, bool stopped) const;
    HRESULT MoveBeside(bool stopped);
    void Close();
    void NoteWriteError(int avError, HRESULT hr);  // keeps the first

    static int Write(void* self, std::uint8_t* data, int size);  // FFmpeg 5.1 wants it non-const
    static std::int64_t Seek(void* self, std::int64_t offset, int whence);

    int dir_ = -1;        // the output's folder
    std::string folder_;  // its path, with a trailing '/', for the names reported
    std::string name_;    // the output's name in it
    std::string partName_;
    int fd_ = -1;  // the hidden file, locked
    dev_t sourceDevice_ = 0;
    ino_t sourceInode_ = 0;
    bool haveSource_ = false;
    std::string keptAside_;
    std::atomic<HRESULT> writeError_{S_OK};
    std::atomic<int> writeAvError_{0};  // FFmpeg's code for writeError_'s cause, when known
};

}  // namespace media::detail
