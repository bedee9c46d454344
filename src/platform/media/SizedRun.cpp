#include "platform/media/SizedRun.h"

#include <algorithm>
#include <cmath>

#include "platform/media/StreamTime.h"

namespace media::detail {

// The lowest rate a writing pass is given (sound that measured larger than it
// announced can leave the picture less).
constexpr std::int64_t kLeast = 16000;

SizedRun::SizedRun(RunPlan plan, std::shared_ptr<EventQueue> events, std::int64_t target,
                   std::int64_t duration)
    : plan_(std::move(plan)),
      events_(std::move(events)),
      measuring_(std::make_shared<EventQueue>()),
      target_(target),
      duration_(duration) {
    budget_.seconds = static_cast<double>(duration) / kHundredNsPerSecond;
}

SizedRun::~SizedRun() { Stop(); }

HRESULT SizedRun::Start() {
    // The measuring pass at the rate the whole size would give the picture: the
    // encoders then say what the sound will take.
    PassSetup measure{
        1, std::llround(static_cast<double>(target_) * 8 / budget_.seconds), folder_.path(), {}};
    auto pass = std::make_unique<RunPass>(plan_, measuring_, std::move(measure), false);
    if (HRESULT hr = pass->Prepare(); FAILED(hr)) {
        events_->SetReason(measuring_->Reason());
        return hr;
    }
    for (const auto& encoder : pass->encoders()) {
        const AVCodecContext& enc = *encoder->context();
        if (enc.codec_type == AVMEDIA_TYPE_VIDEO) {
            const double rate =
                enc.framerate.num > 0 && enc.framerate.den > 0 ? av_q2d(enc.framerate) : 25;
            budget_.pixelsPerSecond = static_cast<double>(enc.width) * enc.height * rate;
            budget_.packets += std::llround(rate * budget_.seconds);
        } else {
            // A sound compressor without a stated rate (Vorbis by quality) counts
            // as 64 kbit/s a channel.
            const std::int64_t bits =
                enc.bit_rate > 0 ? enc.bit_rate : 64000LL * enc.ch_layout.nb_channels;
            budget_.soundBytes += std::llround(static_cast<double>(bits) * budget_.seconds / 8);
            // Vorbis states a frame of 64 samples but writes packets of about a thousand.
            soundPackets_ +=
                std::llround(enc.sample_rate * budget_.seconds / std::max(enc.frame_size, 960));
        }
    }
    // Kept sound goes in at the rate the source states.
    for (const Route& route : pass->routes()) {
        if (!route.keep || route.type != AVMEDIA_TYPE_AUDIO) continue;
        const AVCodecParameters& kept =
            *plan_.source->input->streams[route.decoder->streamIndex]->codecpar;
        budget_.soundBytes += std::llround(static_cast<double>(kept.bit_rate) * budget_.seconds / 8);
    }
    budget_.packets += soundPackets_;
    if (const std::int64_t smallest = SmallestSize(budget_); target_ < smallest) {
        plan_.mux->SetSmallestSize(smallest);
        return QV_E_SIZE_UNREACHABLE;
    }
    current_ = std::move(pass);
    thread_ = std::thread([this] { Run(); });
    return S_OK;
}

void SizedRun::Run() {
    RunPass* measure = nullptr;
    {
        std::lock_guard lock(mutex_);
        measure = current_.get();
    }
    measure->Launch();
    measure->Join();
    if (const HRESULT hr = measure->status.error(); FAILED(hr) && !measure->status.stopping())
        return Fail(hr, measuring_->Reason());  // no lock held: a listener may ask the position
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        for (const auto& encoder : measure->encoders())
            if (encoder->route().type == AVMEDIA_TYPE_VIDEO) stats_ = encoder->stats();
        // The sound as measured, not as announced.
        budget_.soundBytes = measure->count()->soundBytes;
        budget_.packets += measure->count()->soundPackets - soundPackets_;
        phase_ = 2;
    }
    // A little below the size: an encoder's average lands within a few percent.
    std::int64_t rate = std::max(PictureBitRate(target_, budget_) * 96 / 100, kLeast);
    const std::vector<RunNote> before = events_->Notes();
    if (!Rewind() || !RunToEnd(Writing(rate, true))) return;
    std::int64_t over = 0;
    {
        std::lock_guard lock(mutex_);
        if (!(over = current_->mux()->overSize())) return;
        phase_ = 3;
    }
    // Over the size: the picture's rate scaled down by what it came to, with room
    // for the encoder's aim.
    const std::int64_t room = PictureBitRate(target_, budget_);
    const std::int64_t came = PictureBitRate(over, budget_);
    rate = came > 0 ? std::llround(static_cast<double>(rate) * room / came * 0.93) : rate / 2;
    // The retry says what it goes without itself: the pass let go is not counted too.
    events_->SetNotes(before);
    if (Rewind()) RunToEnd(Writing(std::max(rate, kLeast), false));
}

std::unique_ptr<RunPass> SizedRun::Writing(std::int64_t bitRate, bool retry) {
    auto pass = std::make_unique<RunPass>(plan_, events_,
                                          PassSetup{2, bitRate, folder_.path(), stats_}, true);
    pass->mux()->LimitSize(target_, retry);
    return pass;
}

bool SizedRun::RunToEnd(std::unique_ptr<RunPass> pass) {
    RunPass& p = *pass;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return false;
        current_ = std::move(pass);
    }
    if (HRESULT hr = p.Prepare(); FAILED(hr)) {
        // The mux stage posts the end of a pass that ran; one that never started is told here.
        Fail(hr, {});
        return false;
    }
    p.Launch();
    p.Join();
    std::lock_guard lock(mutex_);
    return !stopping_ && SUCCEEDED(p.status.error());
}

void SizedRun::Fail(HRESULT hr, const std::string& reason) {
    if (!reason.empty()) events_->SetReason(reason);
    events_->Post(EC_ERRORABORT, hr, 0);
    events_->MarkFinished(EC_ERRORABORT);
}

// Back to the source's start, with every decoder ready to begin again.
bool SizedRun::Rewind() {
    AVFormatContext& source = *plan_.source->input;
    const std::int64_t start = source.start_time != AV_NOPTS_VALUE ? source.start_time : 0;
    if (const int err = avformat_seek_file(&source, -1, INT64_MIN, start, start, 0); err < 0) {
        Fail(FromAvError(err, HRESULT_READ_FAULT), {});
        return false;
    }
    for (const Route& route : plan_.routes)
        if (route.decoder->context) avcodec_flush_buffers(route.decoder->context.get());
    return true;
}

void SizedRun::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (current_) current_->Stop();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    current_.reset();
}

std::int64_t SizedRun::Position() const {
    std::lock_guard lock(mutex_);
    if (!current_) return phase_ == 1 ? 0 : duration_;
    if (phase_ == 1) return std::min(current_->status.reached.load(), duration_) / 2;
    return duration_ / 2 + std::min(current_->status.position.load(), duration_) / 2;
}

}  // namespace media::detail
