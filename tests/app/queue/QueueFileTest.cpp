// The queue as data: what its file keeps and gives back, what a damaged file
// leaves, and which names its jobs get.
#include <gtest/gtest.h>

#include "TestEnv.h"
#include "app/Queue.h"

namespace {

using app::JobState;
using app::Queue;
using app::QueueEntry;

QueueEntry Entry(const std::string& source, const std::string& output, JobState state) {
    QueueEntry entry;
    entry.job.source = source;
    entry.job.output = output;
    entry.state = state;
    return entry;
}

// Every state, and names no line-based file would keep without care.
TEST(QueueFileTest, EveryJobComesBackAsItWasKept) {
    testenv::TempDir dir;
    Queue queue(registry::SideFile(dir / "q"));
    const std::vector<QueueEntry> kept = [] {
        std::vector<QueueEntry> entries;
        const char* odd[] = {"/v/plain.mp4", "/v/line\nbreak.mov", "/v/back\\slash\\n.avi",
                             "/v/a=b [job].mkv", "/v/Ünï cödé 视频.webm", "/v/cr\r.mp4",
                             "/v/trailing\\"};
        const JobState states[] = {JobState::Waiting, JobState::Converting, JobState::Done,
                                   JobState::Failed,  JobState::Stopped,    JobState::EndedEarly,
                                   JobState::Skipped};
        for (int i = 0; i < 7; ++i) {
            QueueEntry e = Entry(odd[i], std::string(odd[i]) + ".out", states[i]);
            e.job.format = i % 6;
            e.job.video = {"ffdshow video encoder", {{"b", "900k"}, {"odd=name", "x\ny"}}};
            e.job.audio = {i % 2 ? "" : "Xiph.Org Vorbis Encoder", {}};
            e.job.width = 640 + i;
            e.job.height = 360;
            e.job.frameRate = 29.97002997;
            e.job.replaceAllowed = i % 2;
            e.job.video.keep = i == 2;
            e.job.audio.keep = i == 4;
            e.job.cutStart = i * 10'000'000LL;
            e.job.cutStop = i % 2 ? 0 : 90'000'000LL + i;
            e.job.preset = i % 2 ? "" : odd[i];
            e.job.targetSizeMB = i * 5;
            e.job.longerSideAtMost = i % 3 ? 1280 : 0;
            e.note = "reason: \"quoted\"\nsecond line";
            e.bytes = 5'000'000'000LL + i;
            e.duration = 123456789;
            e.keptAside = i == 3 ? "/v/kept aside.mkv" : "";
            entries.push_back(e);
        }
        return entries;
    }();
    for (const QueueEntry& e : kept) queue.Add(e.job, e.duration);
    for (std::size_t i = 0; i < kept.size(); ++i) queue.at(i) = kept[i];
    queue.Changed();
    EXPECT_EQ(Queue::Parse(testenv::ReadFile(dir / "q")), kept);
}

// A file that is not a queue, or is damaged, gives what can be read of it and
// never a job without a source; numbers that do not read keep their defaults.
TEST(QueueFileTest, ADamagedFileGivesWhatCanBeReadOfIt) {
    const std::string head = "quorvel-converter queue 1\n";
    struct Case {
        std::string text;
        std::vector<std::string> sources;
        int width;  // of the first job
    };
    for (const Case& c : std::vector<Case>{
             {"", {}, 0},
             {"quorvel-converter queue 2\n[job]\nsource=/a.mp4\n", {}, 0},
             {std::string("\x7f" "ELF\0\1\2[job]\nsource=/a\n", 20), {}, 0},
             {head + "source=/before-any-job\n[job]\noutput=/no-source\n", {}, 0},
             {head + "[job]\nsource=/a.mp4\nwidth=12px\nstate=melting\nnew-key=1\nno equals\n",
              {"/a.mp4"}, 0},
             {head + "[job]\nsource=/a.mp4\nwidth=99999999999999999999\n[job]\nsource=/b.mp4",
              {"/a.mp4", "/b.mp4"}, 0},
             {head + "[job]\nsource=/a.mp4\nwidth=320\n[job]\n[job]\nsource=/c.mp4\n",
              {"/a.mp4", "/c.mp4"}, 320}}) {
        const auto entries = Queue::Parse(c.text);
        std::vector<std::string> sources;
        for (const auto& e : entries) sources.push_back(e.job.source);
        EXPECT_EQ(sources, c.sources) << c.text;
        if (!entries.empty()) {
            EXPECT_EQ(entries[0].job.width, c.width) << c.text;
            EXPECT_EQ(entries[0].state, JobState::Waiting) << c.text;
        }
    }
}

// Two jobs never write one file and none writes over a source; only a job
// that is not converting moves or goes; retry and clear take the right rows;
// the file follows every change.
TEST(QueueFileTest, TheQueuesActionsKeepNamesApartAndTheFileInStep) {
    testenv::TempDir dir;
    Queue queue(registry::SideFile(dir / "q"));
    int told = 0;
    queue.onChange = [&] { ++told; };
    queue.Add(Entry("/in/a.mp4", "/out/a.mkv", {}).job, 0);
    queue.Add(Entry("/in/a.avi", "/out/a.mkv", {}).job, 0);
    queue.Add(Entry("/out/a.mkv", "/out/other.mkv", {}).job, 0);  // the first one's output
    queue.Add(Entry("/in/b.mp4", "/out/./other.mkv", {}).job, 0);
    std::vector<std::string> outputs;
    for (const auto& e : queue.entries()) outputs.push_back(e.job.output);
    EXPECT_EQ(outputs, (std::vector<std::string>{"/out/a (3).mkv", "/out/a (2).mkv",
                                                 "/out/other.mkv", "/out/./other (2).mkv"}));
    EXPECT_EQ(told, 4);

    queue.at(0).state = JobState::Converting;
    queue.at(1).state = JobState::Failed;
    queue.at(2).state = JobState::Done;
    queue.at(3).state = JobState::Stopped;
    EXPECT_FALSE(queue.Remove(0));
    EXPECT_FALSE(queue.Move(0, 1));
    EXPECT_FALSE(queue.Move(3, 1));
    EXPECT_TRUE(queue.Move(3, -1));  // b.mp4 before the done one
    queue.ClearDone();
    queue.RetryFailed();
    std::vector<std::pair<std::string, JobState>> rows;
    for (const auto& e : queue.entries()) rows.emplace_back(e.job.source, e.state);
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, JobState>>{
                        {"/in/a.mp4", JobState::Converting},
                        {"/in/a.avi", JobState::Waiting},
                        {"/in/b.mp4", JobState::Waiting}}));
    EXPECT_EQ(queue.NextWaiting(), 1);
    EXPECT_EQ(Queue::Parse(testenv::ReadFile(dir / "q")), queue.entries());
    EXPECT_TRUE(queue.Remove(1));

    Queue again(registry::SideFile(dir / "q"));  // the next start
    again.Restore();
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again.entries()[0].state, JobState::Waiting);  // it was converting

    // A second copy of the program while the first keeps the file: it starts
    // empty and saves nothing, so it neither runs nor overwrites the first's jobs.
    Queue second(registry::SideFile(dir / "q"));
    second.Restore();
    EXPECT_FALSE(second.kept());
    EXPECT_EQ(second.size(), 0u);
    second.Add(Entry("/in/c.mp4", "/out/c.mkv", {}).job, 0);
    EXPECT_EQ(Queue::Parse(testenv::ReadFile(dir / "q")).size(), 2u);
}

}  // namespace
