// A film rip (two sound languages, text and picture subtitles, a font, chapters,
// a title) converted to every format by the program without a window, and read
// back with ffprobe: what each container keeps, and what it says it left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "platform/ui/Dialog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

namespace fs = std::filesystem;
using fixtures::ShellQuote;

// One DVD subtitle (a small bitmap) from 0.5 s to 1.5 s, alone in a Matroska file:
// the ffmpeg CLI cannot draw text into pictures.
bool WriteDvdSubtitle(const fs::path& path) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    AVCodecContext* enc = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!enc) return false;
    enc->width = 320;
    enc->height = 240;
    enc->time_base = {1, 1000};
    std::uint8_t pixels[32 * 8];
    for (int i = 0; i < 32 * 8; ++i) pixels[i] = static_cast<std::uint8_t>(1 + i % 3);
    std::uint32_t palette[4] = {0, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
    AVSubtitleRect rect{};
    rect.type = SUBTITLE_BITMAP;
    rect.x = 10, rect.y = 200, rect.w = 32, rect.h = 8, rect.nb_colors = 4;
    rect.data[0] = pixels;
    rect.linesize[0] = 32;
    rect.data[1] = reinterpret_cast<std::uint8_t*>(palette);
    AVSubtitleRect* rects[] = {&rect};
    AVSubtitle sub{};
    sub.num_rects = 1;
    sub.rects = rects;
    sub.end_display_time = 1000;
    std::uint8_t buffer[4096];
    AVFormatContext* out = nullptr;
    bool ok = avcodec_open2(enc, codec, nullptr) >= 0 &&
              avformat_alloc_output_context2(&out, nullptr, "matroska", path.c_str()) >= 0;
    const int size = ok ? avcodec_encode_subtitle(enc, buffer, sizeof buffer, &sub) : -1;
    AVStream* st = ok ? avformat_new_stream(out, nullptr) : nullptr;
    AVPacket* packet = av_packet_alloc();
    ok = st && size > 0 && packet && avcodec_parameters_from_context(st->codecpar, enc) >= 0 &&
         avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
    if (ok) {
        st->time_base = {1, 1000};
        av_dict_set(&st->metadata, "language", "deu", 0);
        ok = avformat_write_header(out, nullptr) >= 0 && av_new_packet(packet, size) >= 0;
    }
    if (ok) {
        std::copy_n(buffer, size, packet->data);
        packet->pts = packet->dts = av_rescale_q(500, {1, 1000}, st->time_base);
        packet->duration = av_rescale_q(1000, {1, 1000}, st->time_base);
        ok = av_write_frame(out, packet) >= 0 && av_write_trailer(out) >= 0;
    }
    av_packet_free(&packet);
    if (out) avio_closep(&out->pb);
    avformat_free_context(out);
    avcodec_free_context(&enc);
    return ok;
}

fs::path Film() {
    const fs::path dir = fixtures::FixtureDir();
    const fs::path film = dir / "film.mkv";
    if (fs::exists(film)) return film;
    std::ofstream(dir / "film.srt") << "1\n00:00:00,500 --> 00:00:01,500\nHello\n\n"
                                       "2\n00:00:02,000 --> 00:00:03,000\nAgain\n";
    std::ofstream(dir / "film.ass")
        << "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\nFormat: Name, Fontname, Fontsize\n"
           "Style: Default,DejaVu Sans,20\n\n[Events]\nFormat: Layer, Start, End, Style, Text\n"
           "Dialogue: 0,0:00:01.00,0:00:02.50,Default,{\\i1}Bonjour{\\i0}\n";
    std::ofstream(dir / "film.meta")
        << ";FFMETADATA1\ntitle=Film Title\ndate=2024\n\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\n"
           "END=1500\ntitle=Opening\n\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=1500\nEND=3000\n"
           "title=Ending\n";
    std::ofstream(dir / "film.ttf") << "font bytes";
    if (!WriteDvdSubtitle(dir / "film-dvd.mkv")) return {};
    auto in = [&](const char* name) { return " -i " + ShellQuote((dir / name).string()); };
    fixtures::MakeWith(
        "film.mkv",
        "-f lavfi -i testsrc2=s=320x240:r=25:d=3 -f lavfi -i sine=f=440:d=3 -f lavfi -i "
        "sine=f=880:d=3" + in("film.srt") + in("film.ass") + in("film-dvd.mkv") + in("film.meta") +
            " -map 0 -map 1 -map 2 -map 3 -map 4 -map 5 -map_metadata 6 -map_chapters 6 -attach " +
            ShellQuote((dir / "film.ttf").string()) +
            " -metadata:s:t mimetype=application/x-truetype-font -c:v libx264 -preset ultrafast "
            "-c:a aac -c:s copy -metadata:s:a:0 language=eng -metadata:s:a:1 language=fra "
            "-metadata:s:a:1 title=Commentaire -metadata:s:s:0 language=eng -metadata:s:s:1 "
            "language=fra -disposition:a:0 0 -disposition:a:1 default");
    return film;
}

// Twenty sound tracks, the second of which no decoder reads (its codec renamed).
fs::path ManyTracks() {
    const fs::path many = fixtures::FixtureDir() / "many-tracks.mkv";
    if (fs::exists(many)) return many;
    std::string maps = " -map 0";
    for (int i = 0; i < 20; ++i) maps += " -map 1";
    const fs::path made = fixtures::MakeWith(
        "many-tracks-whole.mkv",
        "-f lavfi -i testsrc=s=160x120:r=25:d=1 -f lavfi -i sine=d=1" + maps +
            " -c:v mpeg4 -c:a pcm_s16le");
    std::ifstream read(made, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(read)), std::istreambuf_iterator<char>());
    const auto first = bytes.find("A_PCM/INT/LIT");
    const auto second = bytes.find("A_PCM/INT/LIT", first + 1);
    if (second == std::string::npos) return {};
    bytes.replace(second, 5, "A_QRV");
    std::ofstream(many, std::ios::binary) << bytes;
    return many;
}

// ffprobe's answer for `entries` of `file`, one value per line joined by commas.
std::string Probe(const fs::path& file, const std::string& entries) {
    std::string out;
    fixtures::RunCommand("ffprobe -v error " + entries + " -of csv=p=0 " + ShellQuote(file.string()),
                         &out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    for (char& c : out)
        if (c == '\n') c = ',';
    return out;
}

struct Row {
    const char* source;
    const char* format;
    const char* options;
    const char* languages;  // of the sound tracks, in order
    const char* defaults;   // the sound tracks' default flags
    const char* subtitles;  // the subtitle codecs, in order
    int chapters;
    const char* said;  // on standard error ("": nothing said left out)
};

TEST(TracksTest, EveryTrackSubtitleChapterAndTagIsKeptOrSaid) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    ui::SetApplicationName("quorvel-converter");
    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
    // clang-format off
    const Row rows[] = {
        {"film", "mkv", "", "eng,fra", "0,1", "subrip,ass,dvd_subtitle", 2, ""},
        {"film", "webm", "", "eng,fra", "0,1", "webvtt,webvtt", 2, "Not kept in WEBM: 1 subtitle track, 1 attachment."},
        {"film", "mp4", "", "eng,fra", "0,1", "mov_text,mov_text", 2, "Not kept in MP4: 1 subtitle track, 1 attachment."},
        {"film", "avi", "", "", "0,0", "", 0, "Not kept in AVI: 3 subtitle tracks, 1 attachment, 2 chapters."},
        {"film", "asf", "", "eng,fre", "0,0", "", 0, "Not kept in ASF: 3 subtitle tracks, 1 attachment, 2 chapters."},
        // One sound in the Windows Media profile: the source's default one.
        {"film", "wmv", "", "fre", "0", "", 0, "Not kept in WMV: 1 audio track, 3 subtitle tracks, 1 attachment, 2 chapters."},
        {"film", "mkv", "--audio-tracks default", "fra", "1", "subrip,ass,dvd_subtitle", 2, ""},
        // Twenty sound tracks, one unreadable: sixteen kept, the rest said.
        {"many", "mkv", "", nullptr, nullptr, "", 0, "3 tracks beyond the first 16 audio and 32 subtitle tracks were left out. Left out, as they could not be read or converted: audio track 2."},
    };
    // clang-format on
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.source) + " to " + r.format + " " + r.options);
        const bool film = std::string(r.source) == "film";
        const fs::path source = film ? Film() : ManyTracks();
        ASSERT_FALSE(source.empty());
        const fs::path out = dir / (std::to_string(++n) + "." + r.format);
        const fs::path err = dir / "stderr.txt";
        EXPECT_EQ(fixtures::RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " +
                                       ShellQuote(QUORVEL_PROGRAM) + " --convert " +
                                       ShellQuote(source.string()) + " -o " +
                                       ShellQuote(out.string()) + " " + r.options + " 2>" +
                                       ShellQuote(err.string())),
                  0)
            << testenv::ReadFile(err);
        const std::string said = testenv::ReadFile(err);
        if (*r.said) {
            EXPECT_NE(said.find(r.said), std::string::npos) << said;
        } else {
            EXPECT_EQ(said.find("Not kept"), std::string::npos) << said;
        }
        if (film) {
            EXPECT_EQ(Probe(out, "-select_streams a -show_entries stream_tags=language"), r.languages);
            EXPECT_EQ(Probe(out, "-select_streams a -show_entries stream_disposition=default"),
                      r.defaults);
            const std::string tags = Probe(out, "-show_entries format_tags=title,encoder,software");
            EXPECT_NE(tags.find("Film Title"), std::string::npos) << tags;
            EXPECT_NE(tags.find("Quorvel Video Converter"), std::string::npos) << tags;
        } else {
            EXPECT_EQ(Probe(out, "-select_streams a -show_entries stream=index").size(),
                      std::string("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16").size());
        }
        EXPECT_EQ(Probe(out, "-select_streams s -show_entries stream=codec_name"), r.subtitles);
        const std::string chapters = Probe(out, "-show_entries chapter=id");
        EXPECT_EQ(chapters.empty() ? 0 : std::count(chapters.begin(), chapters.end(), ',') + 1,
                  r.chapters)
            << chapters;
        // Every track decodes to its end.
        std::string errors;
        fixtures::RunCommand(
            "ffmpeg -v error -i " + ShellQuote(out.string()) + " -map 0 -c:s copy -c:d copy -f null - 2>&1", &errors);
        EXPECT_EQ(errors, "") << errors;
    }
}

// Stopped midway, every sound and picture track of the part kept ends at the same point.
TEST(TracksTest, AStoppedRunEndsEveryTrackAtTheSamePoint) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
    // A hundred seconds, so that even the fastest format is still running when the
    // stop arrives.
    const fs::path source = fixtures::MakeWith(
        "three-sounds-long.mkv", "-stream_loop 9 -i " +
                                     ShellQuote(fixtures::LongH264AacMp4().string()) +
                                     " -map 0:v -map 0:a -map 0:a -map 0:a -c copy");
    for (const char* format : {"mp4", "webm", "mkv"}) {
        SCOPED_TRACE(format);
        // Each run its own stderr file: the shell may look before the background
        // run has truncated a shared one, and see the last format's progress.
        const fs::path out = dir / (std::string("part.") + format),
                       err = dir / (std::string("stderr-") + format + ".txt");
        const std::string script =
            "env -u DISPLAY " + ShellQuote(QUORVEL_PROGRAM) + " --convert " +
            ShellQuote(source.string()) + " -o " + ShellQuote(out.string()) + " 2>" +
            ShellQuote(err.string()) + " & pid=$!; for i in $(seq 400); do grep -q '[1-9][0-9]* % ' " +
            ShellQuote(err.string()) + " && break; sleep 0.05; done; kill -TERM $pid; wait $pid";
        EXPECT_EQ(fixtures::RunCommand("bash -c " + ShellQuote(script)), 1)
            << testenv::ReadFile(err);
        double first = 1e9, last = 0;
        for (int stream = 0; stream < 4; ++stream) {
            std::string ends;
            fixtures::RunCommand("ffprobe -v error -select_streams " + std::to_string(stream) +
                                     " -show_entries packet=dts_time -of csv=p=0 " +
                                     ShellQuote(out.string()) + " | sort -n | tail -1",
                                 &ends);
            ASSERT_FALSE(ends.empty()) << stream;
            first = std::min(first, std::atof(ends.c_str()));
            last = std::max(last, std::atof(ends.c_str()));
        }
        EXPECT_LT(last, 95) << "stopped midway";
        EXPECT_LT(last - first, 0.5) << first << " to " << last;
    }
}

}  // namespace
