#pragma once
// The mux stage: writes the encoded packets into the run's file, finalises it
// and posts how the run ended.
//
// Thread: the starting thread creates the file and writes the header; then the
// mux thread alone owns the output context, the file and MuxStream's copies of
// the encoders' settings. Stop: the aborted mux queue ends the loop, and the
// file is finalised as it stands. Errors: a failed write (the writer remembers
// the first, a full disk told apart) or a refused trailer fails the run; a
// failed run leaves any older output as it was. Whatever the end, the mux
// thread posts the end event (EC_COMPLETE, with QV_S_SOURCE_ENDED_EARLY and the
// time reached when the source gave out early, or EC_ERRORABORT), and it does
// so last. Whether the file may replace one at the output is the file writer's
// mode as the run ends; where the file went is told back to the writer. A file
// asked of a size is whole or nothing: stopped, it is let go.
#include <optional>
#include <string>
#include <vector>

#include "platform/media/EvenCut.h"
#include "platform/media/Internal.h"
#include "platform/media/OutputStream.h"
#include "platform/media/PendingOutput.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"

namespace media::detail {

class MuxStage final : public Stage {
public:
    MuxStage(const MuxFilter& mux, FileWriterFilter& writer, BoundedQueue<MuxItem>& queue,
             RunStatus& status)
        : mux_(mux), writer_(writer), queue_(queue), status_(status) {}
    ~MuxStage() override;

    // Refuses an output that is the source or a folder and creates the hidden file.
    HRESULT CreateFile(const std::string& sourcePath);
    // What the file takes from the source besides the streams' packets.
    struct FromSource {
        const AVFormatContext* file = nullptr;  // its tags, and its chapters when `chapters`
        bool chapters = false;
        std::vector<const AVStream*> attachments;  // fonts and the like, written whole
        std::string writingApplication;            // the file's encoder tag; "": FFmpeg's
    };
    // One output stream per description, in route order (the attachments after
    // them), the file's tags and chapters, then the header. On failure the hidden
    // file is gone and `reason` holds FFmpeg's words.
    HRESULT Open(const std::vector<OutputStream>& streams, const FromSource& from,
                 std::string& reason);

    void Run() override;

    // A file asked of a size: one that is stopped is let go rather than kept,
    // and with `retry` one that comes out over `bytes` too, without an end event,
    // for the run to try again at a lower rate (see overSize).
    void LimitSize(std::int64_t bytes, bool retry) {
        limit_ = bytes;
        retry_ = retry;
    }
    // The size of a file let go for being over its limit, or 0.
    std::int64_t overSize() const { return overSize_; }

private:
    // What the mux thread needs of each route, copied before the threads start.
    struct MuxStream {
        AVStream* output = nullptr;
        AVRational encoderTimeBase{0, 1};
        std::int64_t frameDuration = 0;  // for video packets that carry none
        bool video = false;
        bool dropPriming = false;
        bool paced = false;  // sound or picture: held until the others reach its time
    };
    // False when the run must end here.
    bool Write(MuxItem& item);
    void Finish();

    const MuxFilter& mux_;
    FileWriterFilter& writer_;  // its mode is read, and where the file went told, at the end
    BoundedQueue<MuxItem>& queue_;
    RunStatus& status_;
    PendingOutput pending_;
    AVFormatContext* output_ = nullptr;
    std::vector<MuxStream> streams_;
    std::optional<EvenCut> evenCut_;
    std::size_t written_ = 0;
    std::int64_t limit_ = 0;
    bool retry_ = false;
    std::int64_t overSize_ = 0;
};

}  // namespace media::detail
