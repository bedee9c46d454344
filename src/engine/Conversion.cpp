#include "engine/Conversion.h"

#include "engine/OutputSettings.h"
#include "i18n/FormattedText.h"
#include "platform/media/Media.h"
#include "resources/Resources.h"

namespace engine {

Conversion::Conversion(Reporter& reporter) : reporter_(&reporter) {}

Conversion::Conversion(const Job& job, Reporter& reporter)
    : reporter_(&reporter),
      job_(job),
      jobSettings_(std::make_unique<OutputSettings>(SettingsOf(job))) {
    settings_ = jobSettings_.get();
    replaceOutput = job.replaceAllowed;
}

Conversion::~Conversion() {
    if (jobSettings_) Close();
}

void Conversion::ReleaseMediaEvent() { mediaEvent.reset(); }
void Conversion::ReleaseMediaControl() { mediaControl.reset(); }
void Conversion::ReleaseGraph() { graphManager.reset(); }

void Conversion::ReleaseCompressorSlots() {
    videoCompressor.reset();
    audioCompressor.reset();
}

void Conversion::RenewCompressor(bool video) {
    const CompressorCategory category =
        video ? CompressorCategory::Video : CompressorCategory::Audio;
    BindCompressor(category, video ? job_.video : job_.audio,
                   video ? &videoCompressor : &audioCompressor, reporter());
}

void Conversion::ShowGraphErrorText(HRESULT hr) {
    char buffer[160];
    media::AMGetErrorTextA(hr, buffer, sizeof buffer);
    const std::string text = WithReason(buffer, RunFailureReason());
    (errorText_ ? *errorText_ : ownErrorText_) = text;
    reporter().Say(Reporter::Kind::Application, text, {});
}

std::string Conversion::RunFailureReason() const {
    return mediaEvent ? mediaEvent->FailureReason() : std::string();
}

std::string Conversion::lastErrorText() const { return errorText_ ? *errorText_ : ownErrorText_; }

std::shared_ptr<media::FileSinkFilter2> Conversion::OutputSink() const {
    std::shared_ptr<media::EnumFilters> filters;
    if (!graphManager || FAILED(graphManager->EnumFilters(filters))) return nullptr;
    std::shared_ptr<media::Filter> filter;
    while (filters->Next(filter) == S_OK)
        if (auto sink = media::QueryFileSinkFilter2(filter)) return sink;
    return nullptr;
}

void Conversion::KeepOlderOutput() {
    if (auto sink = OutputSink()) sink->SetMode(0);
}

std::string Conversion::KeptAside() const {
    const auto sink = OutputSink();
    return sink ? sink->KeptAside() : std::string();
}

std::string Conversion::SizeRefusal() const {
    std::shared_ptr<media::EnumFilters> filters;
    std::int64_t smallest = 0;
    std::shared_ptr<media::Filter> filter;
    if (graphManager && SUCCEEDED(graphManager->EnumFilters(filters)))
        while (filters->Next(filter) == S_OK)
            if (auto size = media::QueryConfigSizeTarget(filter)) size->get_SmallestSize(smallest);
    const int asked = settings_ ? settings_->targetSizeMB : 0;
    // Rounded up to a tenth: a size that would be met.
    const double least =
        static_cast<double>((smallest + kBytesPerMB / 10 - 1) / (kBytesPerMB / 10)) / 10;
    return i18n::FormatText(resources::IDS_MESSAGE_SIZE_UNREACHABLE, asked, least);
}

// ---- A job from its source to its end ----

HRESULT Conversion::Open() {
    std::int64_t duration = 0;
    if (!ProbeSource(job_.source, duration, source_, *settings_))
        return media::VFW_E_INVALID_FILE_FORMAT;
    // The Options' size, when the job has one, rather than the source's own.
    if (job_.width > 0 && job_.height > 0) {
        settings_->outputWidth = job_.width;
        settings_->outputHeight = job_.height;
    }
    const HRESULT hr = OpenSourceGraph(job_.source);
    return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT Conversion::Start(std::function<void()> notify) {
    notify_ = std::move(notify);
    HRESULT hr = EnsureCompressors();
    if (FAILED(hr)) return hr;
    return mediaControl ? mediaControl->Run() : E_POINTER;
}

std::int64_t Conversion::Written() const {
    std::int64_t written = 0;
    std::shared_ptr<media::MediaSeeking> seeking;
    if (!graphManager || FAILED(graphManager->QueryMediaSeeking(seeking)) ||
        FAILED(seeking->GetCurrentPosition(written)))
        return 0;
    return written;
}

std::optional<RunEnd> Conversion::TakeEnd() {
    std::optional<RunEnd> end = ReadEnd();
    // A size the job asked for that its format or its kept picture cannot take.
    if (end && job_.targetSizeMB > 0 && !AsksForSize(SettingsOf(job_)))
        end->notes.push_back({media::RunNoteKind::SizeTargetNotKept, 0});
    return end;
}

std::optional<RunEnd> Conversion::ReadEnd() {
    if (!mediaEvent) return std::nullopt;
    // The end event is announced a moment before the run counts as finished:
    // it is read from the queue, not waited for.
    long code = 0;
    media::LONG_PTR param1 = 0, param2 = 0;
    while (SUCCEEDED(mediaEvent->GetEvent(code, param1, param2, 0))) {
        mediaEvent->FreeEventParams(code, param1, param2);
        if (code != media::EC_COMPLETE && code != media::EC_ERRORABORT) continue;
        RunEnd end{code, static_cast<HRESULT>(param1), param2, {}, mediaEvent->RunNotes()};
        if (FAILED(end.result) || code == media::EC_ERRORABORT)
            end.reason = mediaEvent->FailureReason();
        return end;
    }
    // A stop posts no event.
    if (mediaEvent->WaitForCompletion(0, code) == E_ABORT) return std::nullopt;
    return ReadRunEnd(*mediaEvent, code);
}

void Conversion::Stop(bool keepOlder) {
    if (keepOlder) KeepOlderOutput();
    if (mediaControl) mediaControl->Stop();
}

void Conversion::Close() {
    if (mediaControl) mediaControl->Stop();
    if (mediaEvent) mediaEvent->SetNotifyWindow(nullptr);
    if (graphManager) TearDownConversionGraph(graphManager, job_.source);
    ReleaseMediaEvent();
    ReleaseMediaControl();
    ReleaseGraph();
    ReleaseCompressorSlots();
}

}  // namespace engine
