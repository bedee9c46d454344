// Small pieces shared by the graph, the builder and the streaming engine.
#include <cerrno>
#include <cstdio>

#include "platform/media/Internal.h"

extern "C" {
#include <libavutil/time.h>
}

namespace media {
namespace detail {

HRESULT FromAvError(int error, HRESULT fallback) {
    switch (error) {
        case AVERROR(ENOENT):
            return HRESULT_FILE_NOT_FOUND;
        case AVERROR(EACCES):
        case AVERROR(EPERM):
        case AVERROR(EROFS):
            return E_ACCESSDENIED;
        case AVERROR(ENOMEM):
            return E_OUTOFMEMORY;
        case AVERROR(ENOSPC):
        case AVERROR(EDQUOT):
            return HRESULT_DISK_FULL;
        case AVERROR(ENAMETOOLONG):
            return HRESULT_FILENAME_EXCED_RANGE;
        default:
            return fallback;
    }
}

std::string FileUrl(const std::string& path) { return "file:" + path; }

int ReadGuard::Interrupted(void* opaque) {
    const auto* guard = static_cast<const ReadGuard*>(opaque);
    if (guard->stop) return 1;
    const std::int64_t deadline = guard->deadline;
    return deadline != 0 && av_gettime_relative() > deadline ? 1 : 0;
}

void ConnectPins(const std::shared_ptr<Pin>& output, const std::shared_ptr<Pin>& input,
                 const MediaType& type) {
    output->SetPeer(input);
    input->SetPeer(output);
    output->SetMediaType(type);
    input->SetMediaType(type);
}

std::shared_ptr<Pin> FirstPin(const Filter& filter, PinDirection direction) {
    for (const auto& pin : filter.pins())
        if (pin->direction() == direction) return pin;
    return nullptr;
}

HRESULT MuxFilter::put_Mode(long mode) {
    if (mode < INTERLEAVE_NONE || mode > INTERLEAVE_NONE_BUFFERED) return E_INVALIDARG;
    mode_ = mode;
    return S_OK;
}

HRESULT MuxFilter::get_Mode(long& mode) {
    mode = mode_;
    return S_OK;
}

HRESULT MuxFilter::put_TargetSize(std::int64_t bytes) {
    if (bytes < 0) return E_INVALIDARG;
    target_ = bytes;
    return S_OK;
}

HRESULT MuxFilter::put_LongerSideAtMost(long pixels) {
    if (pixels < 0 || pixels > 65536) return E_INVALIDARG;
    longerSide_ = static_cast<int>(pixels);
    return S_OK;
}

HRESULT MuxFilter::get_SmallestSize(std::int64_t& bytes) {
    bytes = smallest_;
    return S_OK;
}

HRESULT MuxFilter::put_AudioTracks(AudioTracks which) {
    if (which != AudioTracks::All && which != AudioTracks::DefaultOnly) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    audioTracks_ = which;
    return S_OK;
}

HRESULT MuxFilter::put_WritingApplication(const std::string& name) {
    std::lock_guard lock(mutex_);
    writingApplication_ = name;
    return S_OK;
}

AudioTracks MuxFilter::audioTracks() const {
    std::lock_guard lock(mutex_);
    return audioTracks_;
}

std::string MuxFilter::writingApplication() const {
    std::lock_guard lock(mutex_);
    return writingApplication_;
}

std::shared_ptr<Pin> MuxFilter::FreeInputPin() {
    int inputs = 0;
    for (const auto& pin : pins()) {
        if (pin->direction() != PINDIR_INPUT) continue;
        ++inputs;
        if (!pin->peer()) return pin;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Input %02d", inputs + 1);
    return AddPin(PINDIR_INPUT, name, Guid{});
}

HRESULT FileWriterFilter::SetMode(unsigned long flags) {
    if (flags & ~AM_FILE_OVERWRITE) return E_INVALIDARG;
    mode_ = flags;
    return S_OK;
}

HRESULT FileWriterFilter::GetMode(unsigned long& flags) {
    flags = mode_;
    return S_OK;
}

HRESULT FileWriterFilter::GetCurFile(std::string& path) {
    path = path_;
    return S_OK;
}

std::string FileWriterFilter::KeptAside() {
    std::lock_guard lock(mutex_);
    return keptAside_;
}

void FileWriterFilter::SetKeptAside(std::string path) {
    std::lock_guard lock(mutex_);
    keptAside_ = std::move(path);
}

}  // namespace detail

std::shared_ptr<ConfigInterleaving> QueryConfigInterleaving(const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<ConfigInterleaving>(filter);
}

std::shared_ptr<FileSinkFilter2> QueryFileSinkFilter2(const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<FileSinkFilter2>(filter);
}

std::shared_ptr<ConfigSizeTarget> QueryConfigSizeTarget(const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<ConfigSizeTarget>(filter);
}

std::shared_ptr<ConfigStreams> QueryConfigStreams(const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<ConfigStreams>(filter);
}

std::shared_ptr<SpecifyPropertyPages> QuerySpecifyPropertyPages(
    const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<SpecifyPropertyPages>(filter);
}

HRESULT SetFilterOptions(const std::shared_ptr<Filter>& filter,
                         const std::map<std::string, std::string>& options) {
    auto pages = QuerySpecifyPropertyPages(filter);
    if (!pages) return filter ? E_NOINTERFACE : E_POINTER;
    HRESULT result = S_OK;
    for (const auto& [name, value] : options) {
        const HRESULT hr = pages->SetOption(name, value);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}

}  // namespace media
