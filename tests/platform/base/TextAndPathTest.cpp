#include <gtest/gtest.h>
#include <strings.h>

#include <cstring>

#include "platform/Path.h"
#include "platform/Text.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(TextTest, CaseRulesTouchOnlyAsciiLetters) {
    EXPECT_EQ(text::Lowered("Xiph.Org VORBIS Encoder 1.3"), "xiph.org vorbis encoder 1.3");
    // UTF-8 bytes pass unchanged: a name in another script is never damaged.
    EXPECT_EQ(text::Lowered("\xC3\x89T\xC3\xA9"), "\xC3\x89t\xC3\xA9");
    EXPECT_EQ(text::Lowered("@[`{"), "@[`{");
    EXPECT_TRUE(text::EqualNoCase("Software\\DivX", "SOFTWARE\\divx"));
    EXPECT_FALSE(text::EqualNoCase("ab", "abc"));
    EXPECT_FALSE(text::EqualNoCase("a[", "a{"));
}

TEST(TextTest, CompareNoCaseOrdersAsTheCLibraryDoes) {
    const char* const words[] = {"",  "a",       "A",         "ab",       "aB",
                                 "b", "Zeta",    "zeta2",     "_x",       "[",
                                 "~", "libx264", "LibVorbis", "\xC3\xA9", "e"};
    for (const char* a : words)
        for (const char* b : words)
            EXPECT_EQ(Sign(text::CompareNoCase(a, b)), Sign(strcasecmp(a, b)))
                << '"' << a << "\" against \"" << b << '"';
}

TEST(PathTest, SplitsAtTheLastSlashOnly) {
    struct Row {
        const char* path;
        std::size_t nameStart;
        const char* folder;
        const char* name;
    } rows[] = {
        {"", 0, "", ""},
        {"clip.avi", 0, "", "clip.avi"},
        {"/clip.avi", 1, "/", "clip.avi"},
        {"/home/u.v/clip", 10, "/home/u.v/", "clip"},
        {"/home/u/videos/", 15, "/home/u/videos/", ""},
        {"a//b", 3, "a//", "b"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        EXPECT_EQ(paths::NameStart(r.path), r.nameStart);
        EXPECT_EQ(paths::FolderOf(r.path), r.folder);
        EXPECT_EQ(paths::FileNameOf(r.path), r.name);
    }
}

}  // namespace
