// The queue's file: a version line, then one block of "key=value" lines per
// job. Keys and values are escaped (\\, \n, \r, \=), so any file name
// survives; numbers are written with a point in any locale. Unknown keys are
// passed over.
#include <charconv>
#include <sstream>

#include "app/Queue.h"

namespace app {
namespace {

constexpr const char* kFirstLine = "quorvel-converter queue 1";

constexpr std::pair<JobState, const char*> kStates[] = {
    {JobState::Waiting, "waiting"}, {JobState::Converting, "converting"},
    {JobState::Done, "done"},       {JobState::Failed, "failed"},
    {JobState::Stopped, "stopped"}, {JobState::EndedEarly, "ended-early"},
    {JobState::Skipped, "skipped"}};

std::string Escaped(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '=')
            out += "\\=";  // a key may hold one too
        else
            out += c;
    }
    return out;
}

std::string Unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

template <typename Number>
std::string Text(Number value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

template <typename Number>
void Read(std::string_view text, Number& value) {
    Number read{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error == std::errc() && end == text.data() + text.size()) value = read;
}

void WriteChoice(std::ostringstream& out, const char* key, const engine::CompressorChoice& choice) {
    out << key << '=' << Escaped(choice.name) << '\n';
    for (const auto& [name, value] : choice.settings)
        out << key << '.' << Escaped(name) << '=' << Escaped(value) << '\n';
}

// One "key=value" line of a job's block.
void ReadLine(QueueEntry& entry, const std::string& key, const std::string& value) {
    engine::Job& job = entry.job;
    if (key == "source")
        job.source = value;
    else if (key == "output")
        job.output = value;
    else if (key == "format")
        Read(value, job.format);
    else if (key == "video")
        job.video.name = value;
    else if (key == "audio")
        job.audio.name = value;
    else if (key.starts_with("video."))
        job.video.settings[key.substr(6)] = value;
    else if (key.starts_with("audio."))
        job.audio.settings[key.substr(6)] = value;
    else if (key == "width")
        Read(value, job.width);
    else if (key == "height")
        Read(value, job.height);
    else if (key == "video-bitrate")
        Read(value, job.videoBitrate);
    else if (key == "audio-bitrate")
        Read(value, job.audioBitrate);
    else if (key == "frame-rate")
        Read(value, job.frameRate);
    else if (key == "file-profile")
        Read(value, job.fileProfile);
    else if (key == "replace")
        job.replaceAllowed = value == "1";
    else if (key == "audio-tracks")
        job.allAudioTracks = value != "default";
    else if (key == "keep-video")
        job.video.keep = value == "1";
    else if (key == "keep-audio")
        job.audio.keep = value == "1";
    else if (key == "preset")
        job.preset = value;
    else if (key == "target-size")
        Read(value, job.targetSizeMB);
    else if (key == "longer-side")
        Read(value, job.longerSideAtMost);
    else if (key == "start")
        Read(value, job.cutStart);
    else if (key == "stop")
        Read(value, job.cutStop);
    else if (key == "note")
        entry.note = value;
    else if (key == "bytes")
        Read(value, entry.bytes);
    else if (key == "duration")
        Read(value, entry.duration);
    else if (key == "kept-aside")
        entry.keptAside = value;
    else if (key == "state")
        for (const auto& [state, name] : kStates)
            if (value == name) entry.state = state;
}

}  // namespace

std::string Queue::Text() const {
    std::ostringstream out;
    out << kFirstLine << '\n';
    for (const QueueEntry& entry : entries_) {
        const engine::Job& job = entry.job;
        out << "\n[job]\n";
        out << "source=" << Escaped(job.source) << '\n';
        out << "output=" << Escaped(job.output) << '\n';
        out << "format=" << job.format << '\n';
        WriteChoice(out, "video", job.video);
        WriteChoice(out, "audio", job.audio);
        out << "width=" << job.width << "\nheight=" << job.height << '\n';
        out << "video-bitrate=" << job.videoBitrate << "\naudio-bitrate=" << job.audioBitrate
            << '\n';
        out << "frame-rate=" << app::Text(job.frameRate) << '\n';
        out << "file-profile=" << job.fileProfile << "\nreplace=" << (job.replaceAllowed ? 1 : 0)
            << '\n';
        out << "audio-tracks=" << (job.allAudioTracks ? "all" : "default") << '\n';
        out << "keep-video=" << (job.video.keep ? 1 : 0) << "\nkeep-audio="
            << (job.audio.keep ? 1 : 0) << '\n';
        out << "start=" << job.cutStart << "\nstop=" << job.cutStop << '\n';
        out << "preset=" << Escaped(job.preset) << "\ntarget-size=" << job.targetSizeMB
            << "\nlonger-side=" << job.longerSideAtMost << '\n';
        for (const auto& [state, name] : kStates)
            if (state == entry.state) out << "state=" << name << '\n';
        out << "note=" << Escaped(entry.note) << '\n';
        out << "bytes=" << entry.bytes << "\nduration=" << entry.duration << '\n';
        out << "kept-aside=" << Escaped(entry.keptAside) << '\n';
    }
    return out.str();
}

std::vector<QueueEntry> Queue::Parse(const std::string& text) {
    std::vector<QueueEntry> entries;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine) return entries;  // not a queue of ours
    while (std::getline(in, line)) {
        if (line == "[job]") {
            entries.emplace_back();
            continue;
        }
        // The first '=' that no backslash escapes ends the key.
        std::size_t equals = 0;
        while (equals < line.size() && line[equals] != '=') equals += line[equals] == '\\' ? 2 : 1;
        if (entries.empty() || equals >= line.size()) continue;
        ReadLine(entries.back(), Unescaped(std::string_view(line).substr(0, equals)),
                 Unescaped(std::string_view(line).substr(equals + 1)));
    }
    // A block without a source is no job.
    std::erase_if(entries, [](const QueueEntry& entry) { return entry.job.source.empty(); });
    return entries;
}

}  // namespace app
