#include "cli/HeadlessConversion.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/ExitCode.h"
#include "cli/OutputChecks.h"
#include "cli/ProgressLine.h"
#include "cli/Setup.h"
#include "engine/ConversionGraph.h"
#include "engine/CutTimes.h"
#include "engine/RunNotes.h"
#include "engine/RunProgress.h"
#include "i18n/FormattedText.h"
#include "options/OutputFormat.h"
#include "options/OutputSettings.h"
#include "platform/Format.h"
#include "platform/Time.h"
#include "platform/media/Media.h"
#include "platform/shell/Shell.h"
#include "resources/Resources.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

int Fail(const std::string& reason) {
    std::fprintf(stderr, "quorvel-converter: %s\n", reason.c_str());
    return kFailed;
}

int Usage(const std::string& reason) {
    std::fprintf(stderr, "quorvel-converter: %s\n", reason.c_str());
    return kUsage;
}

// The family's stored choice (-1: none), else its preferred compressor.
int ChoiceOf(engine::CompressorCategory category, int format, const char* fragment) {
    const bool video = category == engine::CompressorCategory::Video;
    const int stored =
        settings::Profile().GetInt(video ? settings::kVideoSection : settings::kAudioSection,
                                   options::CompressorNumberKey(format), options::UnstoredIndex);
    if (stored >= -1 || stored == engine::kKeepStream) return stored;
    return fragment ? engine::ConversionGraph::Instance().FindPreferredCompressor(category, fragment)
                    : -1;
}

// Another format family than the stored one has no compressor choice loaded:
// take that family's stored choice, or its preferred compressors, as a start on
// that format would.
void AdoptFormat(engine::OutputSettings& settings, int format) {
    const int wasFamily = engine::FamilyFormat(settings.format);
    settings.format = format;
    if (engine::FamilyFormat(format) == wasFamily) return;
    const auto& row = engine::OutputFormatTable[static_cast<std::size_t>(format)];
    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
    // The Windows Media writer compresses by itself: no choice to take.
    const int video = row.preferredVideo
                          ? ChoiceOf(engine::CompressorCategory::Video, format, row.preferredVideo)
                          : -1;
    const int audio = row.preferredAudio
                          ? ChoiceOf(engine::CompressorCategory::Audio, format, row.preferredAudio)
                          : -1;
    engine::VideoCompressorSlot(settings, format) = video;
    engine::AudioCompressorSlot(settings, format) = audio;
    settings.useVideoCompressor = video >= 0 || video == engine::kKeepStream;
    settings.useAudioCompressor = audio >= 0 || audio == engine::kKeepStream;
    // Loading filled the slots for the stored family; the run fills them anew.
    graph.ReleaseCompressorSlots();
}

// How the run ended: its end event with the result code and the time reached.
using engine::RunEnd;

// Streams until the graph ends, drawing the progress.
RunEnd RunToEnd(engine::ConversionGraph& graph, std::int64_t duration, bool terminal) {
    std::shared_ptr<media::MediaSeeking> seeking;
    graph.graphManager->QueryMediaSeeking(seeking);
    ProgressLine line(stderr, terminal);
    const auto start = Clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    long code = 0;
    while (graph.mediaEvent->WaitForCompletion(200, code) == E_ABORT) {
        if (shell::InterruptRequested()) {
            // The part written so far is kept, beside an older output: no signal
            // costs the person a finished file.
            line.Finish();
            graph.KeepOlderOutput();
            graph.mediaControl->Stop();
            return RunEnd{media::EC_USERABORT, S_OK, 0, {}, graph.mediaEvent->RunNotes()};
        }
        std::int64_t written = 0;
        if (seeking) seeking->GetCurrentPosition(written);
        line.Show(engine::MeasureProgress(written, duration, elapsed()));
    }
    const RunEnd end = engine::ReadRunEnd(*graph.mediaEvent, code);
    if (end.code == media::EC_COMPLETE) {
        // The last frame's position falls short of the duration by its own
        // length; a source that ended early shows where it ended.
        const bool early = end.result == media::QV_S_SOURCE_ENDED_EARLY;
        line.Show(engine::MeasureProgress(early ? end.reached : duration, duration, elapsed()));
    }
    line.Finish();
    return end;
}

std::string Seconds(std::int64_t units) {
    return StrFormat("%.1f s", units / static_cast<double>(kHundredNsPerSecond));
}

}  // namespace

int Convert(const ConvertRequest& request) {
    TerminalBoxes boxes;
    if (!StartHeadless()) return kFailed;

    const SourceCheck source = CheckSource(request.input);
    if (!source.ok) return Fail(source.reason);

    engine::OutputSettings settings;
    shell::OsVersion os;
    shell::CurrentBackend().GetVersion(os);
    // A missing video folder matters only when the stored output path is used.
    boxes.quiet = !request.output.empty();
    options::LoadOutputSettings(settings, options::LoadContext{nullptr, os.major});
    boxes.quiet = false;
    SaySetAsideSettings();

    int format = request.format.empty() ? FormatOfPath(request.output) : FormatNumber(request.format);
    if (format < 0)
        format = engine::IsValidFormat(settings.format) ? settings.format : engine::kAvi;
    if (format != settings.format) AdoptFormat(settings, format);
    if (!request.audioTracks.empty()) settings.allAudioTracks = request.audioTracks == "all";
    // The window's rule for every output path: it ends in the format's extension.
    const std::string output = request.output.empty() ? settings.outputPath : request.output;
    options::ForceOutputExtension(format, output, settings.outputPath);

    // The Windows Media writer encodes by its profile: nothing goes in as it is.
    if ((request.keepVideo || request.keepAudio) && format == engine::kWmv) {
        std::fprintf(stderr, "quorvel-converter: WMV always compresses; --video copy and "
                             "--audio copy apply to the other formats.\n");
        return kUsage;
    }
    if (request.keepVideo) engine::VideoCompressorSlot(settings, format) = engine::kKeepStream;
    if (request.keepAudio) engine::AudioCompressorSlot(settings, format) = engine::kKeepStream;
    settings.useVideoCompressor = settings.useVideoCompressor || request.keepVideo;
    settings.useAudioCompressor = settings.useAudioCompressor || request.keepAudio;
    if (request.keepVideo || request.keepAudio)
        engine::ConversionGraph::Instance().ReleaseCompressorSlots();
    // The times' form is checked before anything is opened; their place in the source below.
    std::int64_t start = 0, stop = 0;
    if (const engine::CutCheck check =
            engine::CheckCut(request.start, request.end, request.duration, 0, start, stop);
        check != engine::CutCheck::Ok)
        return Usage(engine::CutCheckText(check, 0));

    const OutputCheck target = CheckOutput(request.input, settings.outputPath, request.overwrite);
    if (target.verdict == OutputVerdict::Exists) {
        std::fprintf(stderr, "quorvel-converter: %s exists; give --overwrite to replace it.\n",
                     settings.outputPath.c_str());
        return kOutputExists;
    }
    if (target.verdict == OutputVerdict::Refused) return Fail(target.reason);
    std::fprintf(stderr, "%s -> %s (%s)\n", request.input.c_str(), settings.outputPath.c_str(),
                 FormatName(format).c_str());

    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
    std::string errorText;
    graph.Attach(nullptr, &settings, &errorText);
    engine::SourceInfo info;
    std::int64_t duration = 0;
    int result = kDone;
    bool opened = false;
    std::vector<media::RunNote> runNotes;
    if (!graph.ProbeSource(request.input, duration, info, settings)) {
        result = Fail(request.input + ": not a media file this program can read");
    } else if (const engine::CutCheck check = engine::CheckCut(
                   request.start, request.end, request.duration, duration, start, stop);
               check != engine::CutCheck::Ok) {
        result = Usage(engine::CutCheckText(check, duration));
    } else if (!(opened = SUCCEEDED(graph.OpenSourceGraph(request.input)))) {
        result = Fail(request.input + ": could not be opened for conversion");
    } else {
        // Nothing is removed beforehand: the run writes beside the output and
        // takes its place only when it ends well.
        graph.replaceOutput = request.overwrite;
        settings.cutStart = start;
        settings.cutStop = stop;
        // Progress and time left count the part converted.
        duration = engine::PartLength(start, stop, duration);
        HRESULT hr = graph.EnsureCompressors();
        shell::CatchInterrupts();
        if (SUCCEEDED(hr)) hr = graph.mediaControl->Run();
        if (FAILED(hr)) {
            result = Fail(engine::WithReason("the conversion did not start: " + media::ErrorText(hr),
                                             graph.RunFailureReason()));
        } else {
            const RunEnd end = RunToEnd(graph, duration, request.terminal);
            runNotes = end.notes;
            const std::string keptAside = graph.KeptAside();
            if (end.code == media::EC_USERABORT) {
                result =
                    Fail(keptAside.empty()
                             ? "stopped; the part converted so far is in " + settings.outputPath
                             : "stopped; " + settings.outputPath +
                                   " is left as it was, and the part converted so far is in " +
                                   keptAside);
            } else if (end.code != media::EC_COMPLETE) {
                result = Fail(engine::WithReason(
                    media::ErrorText(FAILED(end.result) ? end.result : E_FAIL), end.reason));
            } else if (end.result == media::QV_S_SOURCE_ENDED_EARLY) {
                std::fprintf(stderr, "quorvel-converter: %s: at %s of %s; %s is kept.\n",
                             media::ErrorText(end.result).c_str(), Seconds(end.reached).c_str(),
                             Seconds(duration).c_str(), settings.outputPath.c_str());
                result = kSourceEnded;
            }
            if (end.code == media::EC_COMPLETE && !keptAside.empty()) {
                std::fprintf(stderr, "quorvel-converter: %s\n",
                             i18n::FormatText(resources::IDS_MESSAGE_OUTPUT_APPEARED,
                                              settings.outputPath.c_str(), keptAside.c_str())
                                 .c_str());
                result = kOutputExists;
            }
        }
    }
    if (graph.mediaControl) graph.mediaControl->Stop();
    if (graph.mediaEvent) graph.mediaEvent->SetNotifyWindow(nullptr);
    if (opened) graph.TearDownConversionGraph(graph.graphManager, request.input);
    graph.ReleaseMediaEvent();
    graph.ReleaseMediaControl();
    graph.ReleaseGraph();
    graph.ReleaseCompressorSlots();
    graph.Attach(nullptr, nullptr, nullptr);
    // What the run went without or worked around is said whatever the end.
    const std::string notes = engine::RunNotesText(runNotes, settings.format);
    if (result == kDone)
        std::fprintf(stderr, "Done: %s%s%s\n", settings.outputPath.c_str(), notes.empty() ? "" : "  ",
                     notes.c_str());
    else if (!notes.empty())
        std::fprintf(stderr, "quorvel-converter: %s\n", notes.c_str());
    return result;
}

}  // namespace cli
