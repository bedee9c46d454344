#pragma once
// Helpers for the media layer's tests: walks written the way the engine walks a
// graph, so the tests exercise the layer through the calls the engine makes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "platform/media/AudioChain.h"
#include "platform/media/Media.h"
#include "platform/media/Runtime.h"
#include "platform/media/VideoChain.h"

namespace mediatest {

#define SKIP_WITHOUT_FFMPEG_TOOLS() \
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg/ffprobe not installed"

// Clears forced failures before and after each test.
class MediaTest : public ::testing::Test {
protected:
    void SetUp() override { media::testing::ResetAll(); }
    void TearDown() override { media::testing::ResetAll(); }
};

std::vector<std::shared_ptr<media::Filter>> Filters(media::FilterGraph& graph);
std::vector<std::string> FilterNames(media::FilterGraph& graph);
std::vector<std::shared_ptr<media::Pin>> Pins(const media::Filter& filter);
void CountPins(const media::Filter& filter, int& inputs, int& outputs);
std::shared_ptr<media::Pin> GetPin(const media::Filter& filter, media::PinDirection dir, int n);
// The renderer of a major type: one input, no output, connection of that type.
std::shared_ptr<media::Filter> FindRenderer(media::FilterGraph& graph, const media::Guid& major);

std::shared_ptr<media::FilterGraph> Render(const std::string& path);

// A new compressor filter from the category entry with this friendly name.
std::shared_ptr<media::Filter> BindCompressor(const media::Guid& category,
                                              const std::string& friendlyName);

struct Conversion {
    std::shared_ptr<media::FilterGraph> graph;
    std::shared_ptr<media::Filter> mux;
    std::shared_ptr<media::Filter> sink;
    HRESULT videoRoute = E_FAIL;
    HRESULT audioRoute = E_FAIL;
};

// Renderers out, writer in, both streams routed (compressor or none), as the
// conversion build does. Stops at the first failure, leaving its code in `out`.
HRESULT BuildConversion(const std::string& source, const media::Guid& writer,
                        const std::string& output,
                        const std::shared_ptr<media::Filter>& videoCompressor,
                        const std::shared_ptr<media::Filter>& audioCompressor, Conversion& out);

// Runs the graph and waits (bounded) for its end event; returns the event code
// (EC_COMPLETE / EC_ERRORABORT) or 0 on time-out, and the event's result in `hr`
// and its second parameter in `detail`.
long RunToEnd(media::FilterGraph& graph, HRESULT* hr = nullptr, long timeoutMs = 120000,
              media::LONG_PTR* detail = nullptr);

// The source's frame duration in seconds and duration, for read-back comparisons.
double SourceFrameSeconds(const std::string& path);

// Pictures through a video filter chain of `plan`, built for the first one; what
// comes out, in order, the chain's text in `text` and the run's notes in `notes`.
std::vector<media::detail::FramePtr> ThroughVideoChain(
    const media::detail::VideoPlan& plan, AVRational timeBase, std::int64_t start,
    std::int64_t frameDuration, std::vector<media::detail::FramePtr> pictures,
    std::string* text = nullptr, std::vector<media::RunNote>* notes = nullptr);
// Sound through an audio filter chain into `out` in frames of `chunk`
// samples: what comes out, in order.
std::vector<media::detail::FramePtr> ThroughAudioChain(const media::detail::SoundFormat& out,
                                                       int chunk,
                                                       std::vector<media::detail::FramePtr> sound);

}  // namespace mediatest
