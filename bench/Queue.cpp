// converter-bench queue: many files through the program's own command line, as a
// person converts a folder, against the ffmpeg CLI doing the same files the same
// way, all in this one run:
//   - eight 10 s 1280x720 clips to WebM and to MP4 with --jobs 1 and --jobs 2:
//     both totals and their ratio, beside ffmpeg one and two at a time;
//   - the cost of a job in the queue over a conversion of its own (eight 1 s
//     clips in one --convert against eight --convert of one each);
//   - the peak memory of two 4K jobs at once against one.
// The program reads a settings file of the benchmark's own, never the user's.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "Bench.h"

namespace {

namespace fs = std::filesystem;

// A clip of `seconds` at `size` with moving picture and a tone, made by the ffmpeg CLI.
bool MakeClip(const fs::path& file, const char* size, int seconds) {
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::string(size) +
        ":rate=30:duration=" + std::to_string(seconds) +
        " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + std::to_string(seconds) +
        " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest " +
        Quote(file.string());
    return std::system(command.c_str()) == 0;
}

std::vector<std::string> Copies(const fs::path& clip, const fs::path& folder, int count) {
    fs::create_directories(folder);
    std::vector<std::string> copies;
    for (int i = 1; i <= count; ++i) {
        const fs::path copy = folder / ("clip" + std::to_string(i) + clip.extension().string());
        fs::copy_file(clip, copy, fs::copy_options::overwrite_existing);
        copies.push_back(copy.string());
    }
    return copies;
}

// `converter --convert INPUTS -o OUTPUT --format FORMAT --jobs N`, measured.
Measure Ours(const char* converter, const std::vector<std::string>& inputs,
             const fs::path& output, const char* format, int jobs) {
    if (inputs.size() == 1) fs::create_directories(output.parent_path());  // -o FILE
    std::string command = "exec " + Quote(converter) + " --convert";
    for (const auto& input : inputs) command += " " + Quote(input);
    command += " -o " + Quote(output.string()) + " --format " + format +
               " --overwrite --jobs " + std::to_string(jobs) + " 2>/dev/null";
    return RunShell(command);
}

// The peer's commands for the same files, `lanes` at a time (each lane takes
// every lanes-th file in turn, as --jobs hands identical files out).
Measure Theirs(const std::string& oneCommand, const std::string& firstInput,
               const std::vector<std::string>& inputs, const fs::path& folder,
               const char* extension, int lanes) {
    fs::create_directories(folder);
    std::vector<std::string> laneCommands(static_cast<std::size_t>(lanes));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::string command = oneCommand;
        const std::string quotedInput = Quote(firstInput);
        command.replace(command.find(quotedInput), quotedInput.size(), Quote(inputs[i]));
        const std::size_t out = command.rfind(' ');
        command = command.substr(0, out + 1) +
                  Quote((folder / ("clip" + std::to_string(i + 1) + extension)).string());
        std::string& lane = laneCommands[i % static_cast<std::size_t>(lanes)];
        lane += (lane.empty() ? "" : " && ") + command;
    }
    std::string all;
    for (const auto& lane : laneCommands) all += "(" + lane + ") & ";
    return RunShell(all + "wait");
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

void PrintRun(const char* what, const Measure& m) {
    std::printf("  %-22s %7.2f s wall %7.2f s processor %7.1f MB peak%s\n", what, m.seconds,
                m.cpuSeconds, m.peakKb / 1024.0, m.ok ? "" : "  (failed)");
}

int Throughput(const char* converter, const std::vector<std::string>& clips,
               const fs::path& folder) {
    int failures = 0;
    struct Format {
        const char* name;
        const char* extension;
    };
    for (const Format f : {Format{"webm", ".webm"}, Format{"mp4", ".mp4"}}) {
        const std::string peer =
            PeerCommand(f.name, clips.front(), (folder / (std::string("chains") + f.extension)).string());
        std::printf("\n%s, eight 10 s 1280x720 clips\n  ffmpeg per file: %s\n", f.name,
                    peer.c_str());
        std::fflush(stdout);
        const Measure one = Ours(converter, clips, folder / f.name / "jobs1", f.name, 1);
        const Measure two = Ours(converter, clips, folder / f.name / "jobs2", f.name, 2);
        const Measure peer1 = Theirs(peer, clips.front(), clips, folder / f.name / "ffmpeg1", f.extension, 1);
        const Measure peer2 = Theirs(peer, clips.front(), clips, folder / f.name / "ffmpeg2", f.extension, 2);
        PrintRun("ours --jobs 1", one);
        PrintRun("ours --jobs 2", two);
        PrintRun("ffmpeg one at a time", peer1);
        PrintRun("ffmpeg two at a time", peer2);
        std::printf("  --jobs 2 / --jobs 1: %.3f wall, %.3f processor (ffmpeg two / one: %.3f wall)\n",
                    Ratio(two.seconds, one.seconds), Ratio(two.cpuSeconds, one.cpuSeconds),
                    Ratio(peer2.seconds, peer1.seconds));
        std::printf("  ours / ffmpeg: %.3f wall at one at a time, %.3f at two\n",
                    Ratio(one.seconds, peer1.seconds), Ratio(two.seconds, peer2.seconds));
        failures += !one.ok + !two.ok + !peer1.ok + !peer2.ok;
    }
    return failures;
}

// Eight short clips in one --convert against eight of one each; the program's
// own start (--version) is told apart, since the queue pays it once.
int Overhead(const char* converter, const fs::path& folder) {
    const fs::path clip = folder / "short.mp4";
    if (!MakeClip(clip, "320x240", 1)) return 1;
    const std::vector<std::string> clips = Copies(clip, folder / "short", 8);
    const Measure start = RunShell("exec " + Quote(converter) + " --version >/dev/null");
    double single = 0, singleCpu = 0;
    bool ok = start.ok;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const Measure m = Ours(converter, {clips[i]},
                               folder / "single" / ("clip" + std::to_string(i + 1) + ".mkv"), "mkv", 1);
        single += m.seconds;
        singleCpu += m.cpuSeconds;
        ok = ok && m.ok;
    }
    const Measure queue = Ours(converter, clips, folder / "queued", "mkv", 1);
    ok = ok && queue.ok;
    const double perSingle = single / 8, perQueued = queue.seconds / 8;
    std::printf("\nper job, eight 1 s 320x240 clips to Matroska\n");
    std::printf("  one --convert each:   %.1f ms wall, %.1f ms processor (program start %.1f ms)\n",
                perSingle * 1000, singleCpu / 8 * 1000, start.seconds * 1000);
    std::printf("  one --convert of all: %.1f ms wall, %.1f ms processor\n", perQueued * 1000,
                queue.cpuSeconds / 8 * 1000);
    std::printf("  queue's cost per job over a conversion of its own, program start aside: %.1f ms\n",
                (perQueued - (perSingle - start.seconds)) * 1000);
    return ok ? 0 : 1;
}

int Memory(const char* converter, const fs::path& folder) {
    const fs::path clip = folder / "uhd.mp4";
    if (!MakeClip(clip, "3840x2160", 2)) return 1;
    const std::vector<std::string> clips = Copies(clip, folder / "uhd", 2);
    const Measure one = Ours(converter, {clips[0]}, folder / "uhd-one" / "one.mkv", "mkv", 1);
    const Measure two = Ours(converter, clips, folder / "uhd-two", "mkv", 2);
    const std::string peer = PeerCommand("mkv", clips[0], (folder / "uhd-peer.mkv").string());
    const Measure theirs = RunShell(peer);
    std::printf("\npeak memory, 2 s 3840x2160 clips to Matroska\n");
    PrintRun("ours, one job", one);
    PrintRun("ours, two at once", two);
    PrintRun("ffmpeg, one file", theirs);
    std::printf("  two / one: %.2f (ours / ffmpeg at one file: %.2f)\n",
                Ratio(static_cast<double>(two.peakKb), static_cast<double>(one.peakKb)),
                Ratio(static_cast<double>(one.peakKb), static_cast<double>(theirs.peakKb)));
    return one.ok && two.ok && theirs.ok ? 0 : 1;
}

}  // namespace

int QueueBench(const char* converter) {
    const fs::path folder =
        fs::temp_directory_path() / ("converter-bench-queue-" + std::to_string(getpid()));
    fs::create_directories(folder);
    setenv("QUORVEL_REGISTRY", (folder / "user.reg").c_str(), 1);
    int failures = 0;
    const fs::path clip = folder / "hd.mp4";
    if (!MakeClip(clip, "1280x720", 10)) {
        std::fprintf(stderr, "the ffmpeg CLI could not make the clips\n");
        return 1;
    }
    const char* only = std::getenv("QUORVEL_BENCH_QUEUE_PART");  // throughput, overhead or memory
    const auto wanted = [only](const char* part) { return !only || std::string(only) == part; };
    if (wanted("throughput")) failures += Throughput(converter, Copies(clip, folder / "hd", 8), folder);
    if (wanted("overhead")) failures += Overhead(converter, folder);
    if (wanted("memory")) failures += Memory(converter, folder);
    std::error_code ec;
    fs::remove_all(folder, ec);
    return failures ? 1 : 0;
}
