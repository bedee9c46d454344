#include <gtest/gtest.h>

#include "TestEnv.h"
#include "options/OutputFormat.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"

namespace {

using options::ForceOutputExtension;

std::string Forced(int format, const std::string& path) {
    std::string out = "untouched";
    ForceOutputExtension(format, path, out);
    return out;
}

TEST(ForceOutputExtension, ReplacesOrAddsTheFormatsExtension) {
    ui::ScriptedAutomation automation;
    EXPECT_EQ(Forced(0, "/v/output.webm"), "/v/output.avi");
    EXPECT_EQ(Forced(4, "/v/clip"), "/v/clip.webm");
    EXPECT_EQ(Forced(1, "/v/a.b.c"), "/v/a.b.wmv");
    EXPECT_EQ(Forced(2, "/v/x."), "/v/x.mkv");
    EXPECT_EQ(Forced(3, "out.avi"), "out.asf");
    EXPECT_TRUE(automation.boxes.empty());
}

TEST(ForceOutputExtension, NeverCutsAtADotInAFolderName) {
    ui::ScriptedAutomation automation;
    EXPECT_EQ(Forced(0, "/home/u/my.videos/clip"), "/home/u/my.videos/clip.avi");
    EXPECT_EQ(Forced(0, "/home/u/.hidden/clip.mp4"), "/home/u/.hidden/clip.avi");
    EXPECT_EQ(Forced(0, "/home/u/.profile"), "/home/u/.avi");
}

TEST(ForceOutputExtension, KeepsLongPathsWhole) {
    ui::ScriptedAutomation automation;
    const std::string folder = "/" + std::string(400, 'd') + "/";
    EXPECT_EQ(Forced(4, folder + "clip.avi"), folder + "clip.webm");
}

TEST(ForceOutputExtension, RefusesAnUnknownFormatAndLeavesTheDestination) {
    ui::ScriptedAutomation automation;
    for (int format : {-1, 6, 1000}) {
        std::string out = "previous";
        EXPECT_FALSE(ForceOutputExtension(format, "/v/clip.avi", out));
        EXPECT_EQ(out, "previous");
    }
    ASSERT_EQ(automation.boxes.size(), 3u);
    EXPECT_EQ(automation.boxes[0].text, "Does not support the video format");
    EXPECT_EQ(automation.boxes[0].caption, "Error");
    EXPECT_EQ(automation.boxes[0].ownerId, 0);
}

TEST(OutputFormatTable, RowsInIndexOrder) {
    const char* selectors[] = {"AVI", "WMV", "MKV", "ASF", "WEBM", "MP4"};
    const char* patterns[] = {"*.avi", "*.wmv", "*.mkv", "*.asf", "*.webm", "*.mp4"};
    ASSERT_EQ(engine::OutputFormatTable.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(engine::OutputFormatTable[i].selectorText, selectors[i]);
        EXPECT_STREQ(engine::OutputFormatTable[i].savePattern, patterns[i]);
    }
    EXPECT_STREQ(engine::OutputFormatTable[4].saveFilterText,
                 "Advanced Systems Format file(*.webm)");
    EXPECT_STREQ(engine::OutputFormatTable[1].saveFilterText, "Windows Media Video file (*.wmv)");
    EXPECT_EQ(engine::OutputFormatTable[1].preferredVideo, nullptr);
    EXPECT_STREQ(engine::OutputFormatTable[engine::kMp4].saveFilterText, "MPEG-4 file(*.mp4)");
    EXPECT_STREQ(engine::OutputFormatTable[engine::kMp4].muxer, "mp4");
    std::string out;
    ASSERT_TRUE(options::ForceOutputExtension(engine::kMp4, "/v.d/clip.webm", out));
    EXPECT_EQ(out, "/v.d/clip.mp4");
}

class BrowseOutputFileTest : public ::testing::Test {
protected:
    static constexpr int kPathField = 1009;
    ui::DialogTemplate Template() {
        ui::DialogTemplate t;
        t.id = 129;
        t.rect = {0, 0, 278, 143};
        t.controls = {{kPathField, ui::ControlKind::Edit, "typed", {80, 27, 126, 14}, ui::kTabStop}};
        return t;
    }
    ui::ScriptedAutomation automation;
};

TEST_F(BrowseOutputFileTest, SuggestsTheCurrentNameInItsFolder) {
    ui::Dialog dialog(Template(), nullptr);
    dialog.Item(kPathField).SetText("/videos/holiday.webm");
    automation.fileAnswers = {std::string("/elsewhere/chosen")};
    options::BrowseOutputFile(dialog, 4, kPathField);
    ASSERT_EQ(automation.choosers.size(), 1u);
    const auto& r = automation.choosers[0].request;
    EXPECT_TRUE(automation.choosers[0].save);
    EXPECT_EQ(automation.choosers[0].ownerId, 129);
    EXPECT_EQ(r.title, "Select Output File Name");
    EXPECT_EQ(r.initialDir, "/videos");
    EXPECT_EQ(r.initialFile, "holiday.webm");
    EXPECT_EQ(r.flags, ui::OFN_HIDEREADONLY);
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.filters[0].first, "Advanced Systems Format file(*.webm)");
    EXPECT_EQ(r.filters[0].second, "*.webm");
    EXPECT_EQ(dialog.Item(kPathField).Text(), "/elsewhere/chosen.webm");
}

TEST_F(BrowseOutputFileTest, StartsInTheCurrentFolderAndCancelChangesNothing) {
    ui::Dialog dialog(Template(), nullptr);
    options::BrowseOutputFile(dialog, 0, kPathField);
    ASSERT_EQ(automation.choosers.size(), 1u);
    EXPECT_EQ(automation.choosers[0].request.initialDir, ".");
    EXPECT_EQ(dialog.Item(kPathField).Text(), "typed");
}

TEST_F(BrowseOutputFileTest, DamagedFormatIsReportedBeforeAndAfterTheChooser) {
    ui::Dialog dialog(Template(), nullptr);
    automation.fileAnswers = {std::string("/v/clip")};
    options::BrowseOutputFile(dialog, 9, kPathField);
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].ownerId, 129);
    EXPECT_EQ(automation.boxes[1].ownerId, 0);
    EXPECT_TRUE(automation.choosers[0].request.filters.empty());
    EXPECT_EQ(dialog.Item(kPathField).Text(), "typed");
}

}  // namespace
