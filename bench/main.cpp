// converter-bench: conversion speed and memory of the engine against the ffmpeg
// CLI with the same codecs and settings, measured in the same run, with the
// size and luma SSIM (against the source) of both outputs.
//
//   converter-bench convert --format avi|wmv|mkv|asf|webm|mp4 [--no-video-compressor]
//                   [--no-audio-compressor] INPUT OUTPUT
//   converter-bench keep-cut INPUT            (keeping streams, a 10 s part, against
//                                   ffmpeg -c copy and -ss/-to)
//   converter-bench compare INPUT [FORMAT...]   (MP4 and WebM also against HandBrake's
//                                   command line when installed; WebM at equal SSIM)
//   converter-bench size INPUT [MB...]   (MP4 files of those sizes: two passes against one)
//   converter-bench queue              (many files through the program's --convert and --jobs,
//                                   see Queue.cpp)
//
// Each measured conversion runs in a child process so that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Bench.h"
#include "engine/ConversionGraph.h"
#include "engine/RunNotes.h"
#include "engine/RunProgress.h"
#include "options/OutputFormat.h"
#include "options/OutputSettings.h"
#include "platform/media/Media.h"
#include "platform/ui/Automation.h"

namespace {

using namespace media;
using Clock = std::chrono::steady_clock;

struct Format {
    const char* name;
    int format;
    const char* videoEncoder;  // the engine's preferred encoders, for the CLI
    const char* audioEncoder;
    const char* ffmpegExtra;  // what a writer dictates besides the encoders' settings
    const char* extension;
};

// Sizes, pixel formats, rates and channels come from the engine's own filter
// chains, which the ffmpeg command line is handed as they are.
const Format kFormats[] = {
    {"avi", engine::kAvi, "mpeg4", "adpcm_ms", "", ".avi"},
    {"mkv", engine::kMkv, "mpeg4", "adpcm_ms", "", ".mkv"},
    {"asf", engine::kAsf, "mpeg4", "adpcm_ms", "", ".asf"},
    {"webm", engine::kWebm, "libvpx", "libvorbis", "", ".webm"},
    // The MP4 writer puts the index in front.
    {"mp4", engine::kMp4, "libx264", "aac", "-movflags +faststart", ".mp4"},
    // The Windows Media writer's defaults: 780 kbit/s video at the source's rate
    // (its chain's fps) with a key frame every 8 s, 128 kbit/s WMA2.
    {"wmv", engine::kWmv, "wmv2", "wmav2", "-b:v 798720 -b:a 128000", ".wmv"},
};

const Format* FindFormat(const std::string& name) {
    for (const auto& f : kFormats)
        if (name == f.name) return &f;
    return nullptr;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Exit status of a conversion that kept what a damaged source let it read.
constexpr int kEndedEarly = 4;

// `reason`: the media library's own words on the failure, shown below when given.
int Fail(const char* step, HRESULT hr, const std::string& reason = {}) {
    char line[512];
    std::snprintf(line, sizeof line, "%s failed: %s (0x%08X)", step, ErrorText(hr).c_str(),
                  static_cast<unsigned>(hr));
    std::fprintf(stderr, "%s\n", engine::WithReason(line, reason).c_str());
    return 1;
}

// The filter chains of a built graph, as the converters hold them ("" for a
// stream that needs none).
struct Chains {
    std::string video;
    std::string audio;
};

Chains ReadChains(FilterGraph& graph) {
    Chains chains;
    std::shared_ptr<EnumFilters> filters;
    std::shared_ptr<Filter> filter;
    if (FAILED(graph.EnumFilters(filters))) return chains;
    while (filters->Next(filter) == S_OK) {
        const std::string chain = FilterChainOf(filter);
        FilterInfo info;
        filter->QueryFilterInfo(info);
        if (!chain.empty())
            (info.name.find("Audio") != std::string::npos ? chains.audio : chains.video) = chain;
    }
    return chains;
}

// The window's road through the engine: probe, open, build, run, wait, tear down.
// Stores the opening time; returns 0 on a completed conversion. With `chainsOnly`
// the graph is built and its chains read, and nothing is converted.
// What a run asks beyond the format: streams kept or a part of the source
// (engine::kKeepStream, the cut), a size (MB), or the video compressor's options.
struct Asked {
    bool keepVideo = false;
    bool keepAudio = false;
    std::int64_t start = 0;  // 100 ns; stop 0: the end
    std::int64_t stop = 0;
    int targetMB = 0;
    std::map<std::string, std::string> videoOptions;
};

int Convert(const Format& format, bool videoCompressor, bool audioCompressor,
            const std::string& input, const std::string& output, double* openSeconds,
            Chains* chainsOnly = nullptr, const Asked& asked = {}) {
    ui::ScriptedAutomation boxes;  // the engine's messages go to the terminal
    boxes.onMessageBox = [](const ui::MessageBoxRecord& box) {
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    };
    engine::OutputSettings settings;
    std::string errorText;
    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
    graph.Attach(nullptr, &settings, &errorText);

    const auto openStart = Clock::now();
    engine::SourceInfo info;
    std::int64_t duration = 0;
    if (!graph.ProbeSource(input, duration, info, settings)) return Fail("probe", E_FAIL);
    HRESULT hr = graph.OpenSourceGraph(input);
    if (FAILED(hr)) return Fail("open", hr);
    if (openSeconds) *openSeconds = Seconds(openStart);

    settings.format = format.format;
    settings.outputPath = output;
    settings.videoBitrate = 780 * 1024;
    settings.audioBitrate = 128000;
    const auto& preferred = engine::FormatRow(format.format);
    if (preferred.preferredVideo) {  // the Windows Media writer compresses by itself
        engine::VideoCompressorSlot(settings, format.format) = graph.FindPreferredCompressor(
            engine::CompressorCategory::Video, preferred.preferredVideo);
        engine::AudioCompressorSlot(settings, format.format) = graph.FindPreferredCompressor(
            engine::CompressorCategory::Audio, preferred.preferredAudio);
    }
    settings.useVideoCompressor = videoCompressor;
    settings.useAudioCompressor = audioCompressor;
    settings.targetSizeMB = asked.targetMB;
    if (asked.keepVideo) engine::VideoCompressorSlot(settings, format.format) = engine::kKeepStream;
    if (asked.keepAudio) engine::AudioCompressorSlot(settings, format.format) = engine::kKeepStream;
    settings.cutStart = asked.start;
    settings.cutStop = asked.stop;
    // Nothing is removed beforehand: the engine writes beside the output, never
    // onto the source, and replaces the output only when the run ends well.

    hr = graph.EnsureCompressors();
    if (SUCCEEDED(hr) && !asked.videoOptions.empty())
        hr = SetFilterOptions(graph.videoCompressor, asked.videoOptions);
    engine::RunEnd end{EC_COMPLETE, S_OK, 0, {}, {}};
    if (SUCCEEDED(hr) && chainsOnly) *chainsOnly = ReadChains(*graph.graphManager);
    if (SUCCEEDED(hr) && !chainsOnly) hr = graph.mediaControl->Run();
    const std::string startReason = FAILED(hr) ? graph.RunFailureReason() : std::string();
    if (SUCCEEDED(hr) && !chainsOnly) {
        long code = 0;
        graph.mediaEvent->WaitForCompletion(-1, code);
        end = engine::ReadRunEnd(*graph.mediaEvent, code);
    }
    if (graph.mediaControl) graph.mediaControl->Stop();
    if (graph.mediaEvent) graph.mediaEvent->SetNotifyWindow(nullptr);
    graph.TearDownConversionGraph(graph.graphManager, input);
    graph.ReleaseMediaEvent();
    graph.ReleaseMediaControl();
    graph.ReleaseCompressorSlots();
    graph.Attach(nullptr, nullptr, nullptr);
    if (FAILED(hr)) return Fail("conversion start", hr, startReason);
    if (end.code != EC_COMPLETE)
        return Fail("conversion", FAILED(end.result) ? end.result : E_FAIL, end.reason);
    if (!end.notes.empty()) std::fprintf(stderr, "%s\n", engine::RunNotesText(end.notes, format.format).c_str());
    if (end.result == QV_S_SOURCE_ENDED_EARLY) {
        std::fprintf(stderr, "%s (at %.1f s of %.1f s)\n",
                     ErrorText(QV_S_SOURCE_ENDED_EARLY).c_str(), end.reached / 1e7, duration / 1e7);
        return kEndedEarly;
    }
    return 0;
}

double SecondsOf(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// Runs `child` in a forked process; its wall and processor time and peak resident memory.
template <typename Child>
Measure InChild(Child child) {
    Measure m;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return m;
    m.seconds = Seconds(start);
    m.cpuSeconds = SecondsOf(usage.ru_utime) + SecondsOf(usage.ru_stime);
    m.peakKb = usage.ru_maxrss;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}


// The source's frame size and rate, as the engine sees them.
bool SourceFacts(const std::string& input, engine::SourceInfo& info) {
    ui::ScriptedAutomation boxes;
    engine::OutputSettings settings;
    std::string errorText;
    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
    graph.Attach(nullptr, &settings, &errorText);
    std::int64_t duration = 0;
    const bool ok = graph.ProbeSource(input, duration, info, settings);
    graph.Attach(nullptr, nullptr, nullptr);
    return ok;
}

// The chain without its turning steps: the CLI turns the picture by itself, with
// the same filters, and only then leaves the rotation out of its output.
std::string WithoutTurning(const std::string& chain) {
    std::string kept;
    for (std::size_t at = 0; at < chain.size();) {
        std::size_t end = chain.find(',', at);
        if (end == std::string::npos) end = chain.size();
        const std::string step = chain.substr(at, end - at);
        if (!step.starts_with("transpose=") && step != "hflip" && step != "vflip")
            kept += (kept.empty() ? "" : ",") + step;
        at = end + 1;
    }
    return kept;
}

// The ffmpeg command that converts as the engine does: the engine's filter chains,
// the same encoders with the same starting settings for this frame size and rate.
std::string CliCommand(const Format& f, const engine::SourceInfo& info, const Chains& chains,
                       const std::string& input, const std::string& output) {
    std::string command = "ffmpeg -nostdin -v error -y -i " + Quote(input);
    if (const std::string video = WithoutTurning(chains.video); !video.empty())
        command += " -vf " + Quote(video);
    if (!chains.audio.empty()) command += " -af " + Quote(chains.audio);
    // The Windows Media writer's key frame every 8 s, at the chain's rate.
    if (f.format == engine::kWmv)
        command += " -g " + std::to_string(8 * static_cast<int>(info.frameRate + 0.5));
    command += std::string(" -c:v ") + f.videoEncoder;
    for (const auto& [name, value] :
         EncoderDefaults(f.videoEncoder, info.width, info.height, info.frameRate))
        command += " -" + name + ":v " + value;
    command += std::string(" -c:a ") + f.audioEncoder;
    for (const auto& [name, value] : EncoderDefaults(f.audioEncoder, 0, 0, 0))
        command += " -" + name + ":a " + value;
    if (*f.ffmpegExtra) command += std::string(" ") + f.ffmpegExtra;
    return command + " " + Quote(output);
}

// Luma SSIM of `output` against `source`, frames paired in order; -1 when unknown.
double LumaSsim(const std::string& output, const std::string& source) {
    const std::string command =
        "ffmpeg -nostdin -i " + Quote(output) + " -i " + Quote(source) +
        " -lavfi '[0:v]settb=AVTB,setpts=N[a];[1:v]settb=AVTB,setpts=N[b];[a][b]ssim=shortest=1'"
        " -f null - 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    double ssim = -1;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe))
        if (const char* y = std::strstr(line, "SSIM Y:")) ssim = std::atof(y + 7);
    pclose(pipe);
    return ssim;
}

double MegabytesOf(const std::string& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? 0.0 : static_cast<double>(size) / 1e6;
}

struct Row {
    const Format* f;
    Measure ours, theirs;
    double oursSize, theirsSize, oursSsim, theirsSsim;
};

// HandBrake's command line writing `output` with these video settings, the
// source's size and rate, and the audio encoder of the same format.
Measure RunHandBrake(const std::string& input, const std::string& output,
                     const std::string& video) {
    const bool webm = output.ends_with(".webm");
    const std::string command = "HandBrakeCLI -i " + Quote(input) + " -o " + Quote(output) +
                                (webm ? " -f av_webm " : " -f av_mp4 --optimize ") + video +
                                " --crop-mode none --non-anamorphic --vfr" +
                                (webm ? " -E vorbis" : " -E av_aac -B 160") +
                                " --mixdown stereo >/dev/null 2>&1";
    std::printf("handbrake: %s\n", command.c_str());
    std::fflush(stdout);
    return RunShell(command);
}

void PrintAgainst(const char* what, const Measure& hb, double size, double ssim, const Row& ours) {
    std::printf(
        "HandBrake %s: %.2f s (%.2f s processor), %.2f MB, SSIM %.4f; ours %.2f s "
        "(%.2f s processor), SSIM %.4f: ratio %.3f wall, %.3f processor\n",
        what, hb.seconds, hb.cpuSeconds, size, ssim, ours.ours.seconds, ours.ours.cpuSeconds,
        ours.oursSsim, hb.seconds > 0 ? ours.ours.seconds / hb.seconds : 0.0,
        hb.cpuSeconds > 0 ? ours.ours.cpuSeconds / hb.cpuSeconds : 0.0);
}

// MP4: HandBrake at the same CRF and preset, AAC 160 kbit/s stereo, index in front.
void HandBrakeMp4(const std::string& input, const std::filesystem::path& folder, const Row& mp4) {
    const std::string output = (folder / "handbrake.mp4").string();
    const Measure hb = RunHandBrake(input, output, "-e x264 -q 21 --encoder-preset veryfast");
    if (!hb.ok) return (void)std::printf("HandBrake: failed on this clip\n");
    PrintAgainst("x264", hb, MegabytesOf(output), LumaSsim(output, input), mp4);
}

// WebM: HandBrake's VP8 at its fastest preset and at its default one, each at the
// quality where its SSIM meets ours, times interpolated between the two qualities
// around it (HandBrake's scale: a higher number is a coarser picture).
void HandBrakeWebm(const std::string& input, const std::filesystem::path& folder, const Row& webm) {
    for (const char* preset : {"veryfast", "medium"}) {
        struct Point {
            double q, ssim;
            Measure m;
            double size;
        };
        std::vector<Point> points;
        for (double q = 20; q <= 44; q += 4) {
            const std::string output =
                (folder / ("handbrake-" + std::string(preset) + ".webm")).string();
            char video[96];
            std::snprintf(video, sizeof video, "-e VP8 -q %.0f --encoder-preset %s", q, preset);
            const Measure m = RunHandBrake(input, output, video);
            if (!m.ok) break;
            points.push_back({q, LumaSsim(output, input), m, MegabytesOf(output)});
            std::printf("  q %.0f: %.2f s, %.2f s processor, %.2f MB, SSIM %.4f\n", q, m.seconds,
                        m.cpuSeconds, points.back().size, points.back().ssim);
            if (points.back().ssim < webm.oursSsim) break;
        }
        if (points.size() < 2 || points.back().ssim >= webm.oursSsim ||
            points.front().ssim < webm.oursSsim) {
            std::printf("HandBrake VP8 %s: no quality brackets our SSIM %.4f\n", preset,
                        webm.oursSsim);
            continue;
        }
        const Point& a = points[points.size() - 2];
        const Point& b = points.back();
        const double t = (a.ssim - webm.oursSsim) / (a.ssim - b.ssim);
        Measure at;
        at.ok = true;
        at.seconds = a.m.seconds + t * (b.m.seconds - a.m.seconds);
        at.cpuSeconds = a.m.cpuSeconds + t * (b.m.cpuSeconds - a.m.cpuSeconds);
        char what[64];
        std::snprintf(what, sizeof what, "VP8 %s at q %.1f", preset, a.q + t * (b.q - a.q));
        PrintAgainst(what, at, a.size + t * (b.size - a.size), webm.oursSsim, webm);
    }
}

// A second peer for MP4 and WebM, when HandBrake's command line is installed.
void HandBrakeNotes(const std::string& input, const std::filesystem::path& folder,
                    const std::vector<Row>& rows) {
    if (std::system("command -v HandBrakeCLI >/dev/null 2>&1") != 0) {
        std::printf("\nHandBrake: not installed (scripts/setup bench installs handbrake-cli)\n");
        return;
    }
    std::printf("\n");
    for (const Row& r : rows) {
        if (!r.ours.ok) continue;
        if (r.f->format == engine::kMp4) HandBrakeMp4(input, folder, r);
        if (r.f->format == engine::kWebm) HandBrakeWebm(input, folder, r);
    }
}

int Compare(const std::string& input, const std::vector<std::string>& only) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("converter-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    double open = 0;
    {
        const auto start = Clock::now();
        std::shared_ptr<FilterGraph> g1, g2;
        CreateFilterGraph(g1);
        g1->RenderFile(input);
        g1.reset();
        CreateFilterGraph(g2);
        g2->RenderFile(input);
        open = Seconds(start);
    }
    engine::SourceInfo info;
    if (!SourceFacts(input, info)) return Fail("probe", E_FAIL);
    std::printf("open (probe + open): %.1f ms; source %dx%d at %.3f fps\n", open * 1000, info.width,
                info.height, info.frameRate);
    std::vector<Row> rows;
    int failures = 0;
    for (const auto& f : kFormats) {
        if (!only.empty() && std::find(only.begin(), only.end(), f.name) == only.end()) continue;
        const std::string ours = (folder / (std::string("ours") + f.extension)).string();
        const std::string theirs = (folder / (std::string("ffmpeg") + f.extension)).string();
        Chains chains;
        if (Convert(f, true, true, input, ours, nullptr, &chains) != 0) ++failures;
        const std::string command = CliCommand(f, info, chains, input, theirs);
        std::printf("%s chains: video '%s', sound '%s'\n", f.name, chains.video.c_str(),
                    chains.audio.c_str());
        std::printf("%s: %s\n", f.name, command.c_str());
        std::fflush(stdout);
        Row row{&f, {}, {}, 0, 0, -1, -1};
        row.ours = InChild([&] { return Convert(f, true, true, input, ours, nullptr); });
        row.theirs = RunShell(command);
        if (!row.ours.ok || !row.theirs.ok) ++failures;
        row.oursSize = MegabytesOf(ours);
        row.theirsSize = MegabytesOf(theirs);
        row.oursSsim = LumaSsim(ours, input);
        row.theirsSsim = LumaSsim(theirs, input);
        rows.push_back(row);
    }
    std::printf("\n%-5s %8s %8s %6s %6s %8s %8s %8s %8s %7s %7s\n", "fmt", "ours s", "ffmpeg s",
                "ratio", "cpu", "ours MB", "ffmpg MB", "ours mem", "ffmpg mem", "SSIM us",
                "SSIM ff");
    for (const Row& r : rows)
        std::printf("%-5s %8.2f %8.2f %6.3f %6.3f %8.2f %8.2f %8.1f %8.1f %7.4f %7.4f%s\n",
                    r.f->name, r.ours.seconds, r.theirs.seconds,
                    r.theirs.seconds > 0 ? r.ours.seconds / r.theirs.seconds : 0.0,
                    r.theirs.cpuSeconds > 0 ? r.ours.cpuSeconds / r.theirs.cpuSeconds : 0.0,
                    r.oursSize, r.theirsSize, r.ours.peakKb / 1024.0, r.theirs.peakKb / 1024.0,
                    r.oursSsim, r.theirsSsim, r.ours.ok && r.theirs.ok ? "" : "  (failed)");
    HandBrakeNotes(input, folder, rows);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return failures ? 1 : 0;
}

// The video stream's average rate in a written file, bits per second.
long long VideoBitRate(const std::string& file) {
    const std::string command =
        "ffprobe -v error -select_streams v:0 -show_entries packet=size -of csv=p=0 " +
        Quote(file) + " | awk '{s+=$1} END {print s}'; ffprobe -v error -show_entries "
        "format=duration -of csv=p=0 " + Quote(file);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    double bytes = 0, seconds = 0;
    if (std::fscanf(pipe, "%lf %lf", &bytes, &seconds) != 2) seconds = 0;
    pclose(pipe);
    return seconds > 0 ? static_cast<long long>(bytes * 8 / seconds) : 0;
}

// A file of each size asked: the two passes against one pass of the same
// encoder at the rate they chose, ours and the ffmpeg CLI's.
int SizeTarget(const std::string& source, const std::vector<int>& sizes) {
    const std::string input = std::filesystem::absolute(source).string();  // the CLI runs elsewhere
    const Format& f = *FindFormat("mp4");
    const auto folder = std::filesystem::temp_directory_path() /
                        ("converter-bench-size-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string ours = (folder / "ours.mp4").string();
    const std::string one = (folder / "one.mp4").string();
    const std::string theirs = (folder / "ffmpeg.mp4").string();
    std::printf("%4s %8s %7s %8s %8s %6s %6s %9s %9s %6s\n", "MB", "reached", "kbit/s",
                "2-pass s", "1-pass s", "ratio", "cpu", "ff 2-pass", "ff 1-pass", "ratio");
    int failures = 0;
    for (const int mb : sizes) {
        // A run never replaces a file it did not agree to: each starts on an empty folder.
        for (const std::string& file : {ours, one, theirs}) std::filesystem::remove(file);
        Asked sized;
        sized.targetMB = mb;
        const Measure two =
            InChild([&] { return Convert(f, true, true, input, ours, nullptr, nullptr, sized); });
        const long long rate = VideoBitRate(ours);
        const Measure single = InChild([&] {
            Asked atRate;
            atRate.videoOptions = {{"b", std::to_string(rate)}};
            return Convert(f, true, true, input, one, nullptr, nullptr, atRate);
        });
        const std::string x264 = "ffmpeg -nostdin -v error -y -i " + Quote(input) +
                                 " -c:v libx264 -preset veryfast -b:v " + std::to_string(rate);
        const std::string passes = "cd " + Quote(folder.string()) + " && " + x264 +
                                   " -pass 1 -an -f null - && " + x264 +
                                   " -pass 2 -c:a aac -b:a 160000 " + Quote(theirs);
        const std::string onePass = x264 + " -c:a aac -b:a 160000 " + Quote(theirs);
        const Measure ffTwo = InChild(
            [&] { return execl("/bin/sh", "sh", "-c", passes.c_str(), nullptr) == -1 ? 127 : 0; });
        const Measure ffOne = InChild(
            [&] { return execl("/bin/sh", "sh", "-c", onePass.c_str(), nullptr) == -1 ? 127 : 0; });
        if (!two.ok || !single.ok || !ffTwo.ok || !ffOne.ok) ++failures;
        std::printf("%4d %7.1f%% %7lld %8.2f %8.2f %6.2f %6.2f %9.2f %9.2f %6.2f\n", mb,
                    MegabytesOf(ours) * 100 / mb, rate / 1000, two.seconds, single.seconds,
                    single.seconds > 0 ? two.seconds / single.seconds : 0.0,
                    single.cpuSeconds > 0 ? two.cpuSeconds / single.cpuSeconds : 0.0,
                    ffTwo.seconds, ffOne.seconds, ffTwo.seconds > 0 ? two.seconds / ffTwo.seconds : 0.0);
        std::fflush(stdout);
    }
    std::printf("ratio: our two passes over our one pass at their rate (wall, then processor "
                "time); last: ours over the ffmpeg CLI's two passes\n");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return failures ? 1 : 0;
}

// Keeping and cutting on a long clip (a 60 s 1080p H.264/AAC MKV, say) to MP4,
// against the ffmpeg CLI's -c copy and -ss/-to in the same run: a copy of the
// whole, a 10 s part from the middle re-encoded, and our whole re-encode.
int KeepAndCut(const std::string& input) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("converter-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const Format& mp4 = *FindFormat("mp4");
    engine::SourceInfo info;
    if (!SourceFacts(input, info)) return Fail("probe", E_FAIL);
    const double middle = std::max(0.0, info.duration / 1e7 / 2 - 5);
    auto path = [&](const char* name) { return (folder / name).string(); };
    auto cli = [&](const std::string& args) {
        const std::string command = "ffmpeg -nostdin -v error -y " + args;
        std::printf("ffmpeg: %s\n", command.c_str());
        return InChild(
            [&] { return execl("/bin/sh", "sh", "-c", command.c_str(), nullptr) == -1 ? 127 : 0; });
    };
    Asked copy, cut;
    copy.keepVideo = copy.keepAudio = true;
    cut.start = static_cast<std::int64_t>(middle * 1e7);
    cut.stop = static_cast<std::int64_t>((middle + 10) * 1e7);
    const Measure oursCopy =
        InChild([&] { return Convert(mp4, true, true, input, path("copy.mp4"), nullptr, nullptr, copy); });
    const Measure cliCopy = cli("-i " + Quote(input) + " -map 0:v:0 -map 0:a:0? -c copy "
                                "-movflags +faststart " + Quote(path("ffmpeg-copy.mp4")));
    const Measure oursCut =
        InChild([&] { return Convert(mp4, true, true, input, path("cut.mp4"), nullptr, nullptr, cut); });
    Chains chains;
    Convert(mp4, true, true, input, path("whole.mp4"), nullptr, &chains);
    char range[64];
    std::snprintf(range, sizeof range, "-ss %.3f -to %.3f ", middle, middle + 10);
    const Measure cliCut = cli(range + CliCommand(mp4, info, chains, input, path("ffmpeg-cut.mp4")).substr(
                                           std::string("ffmpeg -nostdin -v error -y ").size()));
    const Measure oursWhole =
        InChild([&] { return Convert(mp4, true, true, input, path("whole.mp4"), nullptr); });
    auto hash = [&](const std::string& file) {
        std::string out;
        const std::string command = "ffmpeg -v error -i " + Quote(file) +
                                    " -map 0:v -c copy -f streamhash - 2>/dev/null";
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
            pclose(pipe);
        }
        return out;
    };
    auto row = [](const char* what, const Measure& a, const Measure& b) {
        std::printf("%-34s %8.2f %8.2f %7.3f %7.3f%s\n", what, a.seconds, b.seconds,
                    b.seconds > 0 ? a.seconds / b.seconds : 0.0,
                    b.cpuSeconds > 0 ? a.cpuSeconds / b.cpuSeconds : 0.0,
                    a.ok && b.ok ? "" : "  (failed)");
    };
    std::printf("\n%-34s %8s %8s %7s %7s\n", "run (ours against)", "ours s", "peer s", "ratio",
                "cpu");
    row("keep -> MP4 / ffmpeg -c copy", oursCopy, cliCopy);
    row("keep -> MP4 / our re-encode", oursCopy, oursWhole);
    row("10 s part / our whole re-encode", oursCut, oursWhole);
    row("10 s part / ffmpeg -ss -to", oursCut, cliCut);
    const bool same = hash(input) == hash(path("copy.mp4"));
    std::printf("video packets of the kept copy %s the source's (streamhash)\n",
                same ? "identical to" : "DIFFER from");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return same && oursCopy.ok && oursCut.ok ? 0 : 1;
}

// The same source with one sound track and with three: the further tracks are
// encoded beside the first, so three should cost little more wall time than one.
// The ffmpeg CLI converting the three-track source is the peer.
int Tracks(const std::string& input, const std::string& formatName) {
    const Format* f = FindFormat(formatName);
    if (!f) return 2;
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("converter-bench-tracks-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(folder);
    const std::string one = folder + "/one.mkv", three = folder + "/three.mkv";
    const std::string make = "ffmpeg -nostdin -v error -y -i " + Quote(input);
    if (std::system((make + " -map 0:v:0 -map 0:a:0 -c copy " + Quote(one)).c_str()) != 0 ||
        std::system((make + " -map 0:v:0 -map 0:a:0 -map 0:a:0 -map 0:a:0 -c copy " + Quote(three))
                        .c_str()) != 0)
        return 1;
    Measure ones, threes, peer;
    const int rounds = 3;
    for (int round = 0; round < rounds; ++round) {
        // Alternated, so that a busy moment of the machine falls on both.
        for (auto [source, sum] : {std::pair{&one, &ones}, std::pair{&three, &threes}}) {
            const Measure m = InChild([&, s = source] {
                return Convert(*f, true, true, *s, folder + "/out" + f->extension, nullptr);
            });
            if (!m.ok) return 1;
            sum->seconds += m.seconds / rounds;
            sum->cpuSeconds += m.cpuSeconds / rounds;
        }
        const Measure cli = InChild([&] {
            const std::string command = "ffmpeg -nostdin -v error -y -i " + Quote(three) +
                                        " -map 0 -c:v " + f->videoEncoder + " -c:a " +
                                        f->audioEncoder + " " + Quote(folder + "/cli" + f->extension);
            return std::system(command.c_str()) == 0 ? 0 : 1;
        });
        peer.seconds += cli.seconds / rounds;
        peer.cpuSeconds += cli.cpuSeconds / rounds;
    }
    std::printf("%s, mean of %d runs, wall/processor seconds\n", f->name, rounds);
    std::printf("  one sound track    %.2f / %.2f\n", ones.seconds, ones.cpuSeconds);
    std::printf("  three sound tracks %.2f / %.2f   ratio to one: %.2f wall, %.2f processor\n",
                threes.seconds, threes.cpuSeconds, threes.seconds / ones.seconds,
                threes.cpuSeconds / ones.cpuSeconds);
    std::printf("  ffmpeg CLI, three  %.2f / %.2f   ours against it: %.2f wall, %.2f processor\n",
                peer.seconds, peer.cpuSeconds, threes.seconds / peer.seconds,
                threes.cpuSeconds / peer.cpuSeconds);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}

}  // namespace

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Measure RunShell(const std::string& command) {
    return InChild(
        [&] { return execl("/bin/sh", "sh", "-c", command.c_str(), nullptr) == -1 ? 127 : 0; });
}

std::string PeerCommand(const std::string& formatName, const std::string& input,
                        const std::string& output) {
    const Format* f = FindFormat(formatName);
    engine::SourceInfo info;
    Chains chains;
    if (!f || !SourceFacts(input, info) || Convert(*f, true, true, input, output, nullptr, &chains))
        return {};
    return CliCommand(*f, info, chains, input, output);
}

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: converter-bench convert --format avi|wmv|mkv|asf|webm|mp4 [--no-video-compressor] "
        "[--no-audio-compressor] INPUT OUTPUT\n"
        "       converter-bench compare INPUT [avi|wmv|mkv|asf|webm|mp4 ...]\n"
        "       converter-bench size INPUT [MB ...]\n"
        "       converter-bench keep-cut INPUT\n"
        "       converter-bench tracks INPUT avi|wmv|mkv|asf|webm|mp4\n"
        "       converter-bench queue\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    if (FAILED(Initialize())) return 1;
    if (args[0] == "compare" && args.size() >= 2) {
        for (std::size_t i = 2; i < args.size(); ++i)
            if (!FindFormat(args[i])) return Usage();
        return Compare(args[1], {args.begin() + 2, args.end()});
    }
    if (args[0] == "size" && args.size() >= 2) {
        std::vector<int> sizes;
        for (std::size_t i = 2; i < args.size(); ++i) sizes.push_back(std::atoi(args[i].c_str()));
        if (sizes.empty()) sizes = {5, 10, 25};
        return SizeTarget(args[1], sizes);
    }
    if (args[0] == "keep-cut" && args.size() == 2) return KeepAndCut(args[1]);
    if (args[0] == "tracks" && args.size() == 3) return Tracks(args[1], args[2]);
    if (args[0] == "queue" && args.size() == 1) return QueueBench(QUORVEL_CONVERTER);
    if (args[0] != "convert") return Usage();
    const Format* format = nullptr;
    bool video = true, audio = true;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--format" && i + 1 < args.size())
            format = FindFormat(args[++i]);
        else if (args[i] == "--no-video-compressor")
            video = false;
        else if (args[i] == "--no-audio-compressor")
            audio = false;
        else
            files.push_back(args[i]);
    }
    if (!format || files.size() != 2) return Usage();
    double open = 0;
    const auto start = Clock::now();
    const int rc = Convert(*format, video, audio, files[0], files[1], &open);
    std::printf("open %.1f ms, conversion %.2f s\n", open * 1000, Seconds(start));
    return rc;
}
