// The progress line's text and its two ways of drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <string>

#include "cli/ProgressLine.h"

namespace {

std::string Drawn(bool terminal, const std::vector<double>& fractions) {
    std::FILE* file = std::tmpfile();
    cli::ProgressLine line(file, terminal);
    for (double f : fractions) line.Show(engine::MeasureProgress(
                                   static_cast<std::int64_t>(f * 600e7), 600 * 10000000LL, f * 200));
    line.Finish();
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

TEST(ProgressLine, TellsPercentTimeLeftAndSpeed) {
    EXPECT_EQ(cli::ProgressText(engine::MeasureProgress(0, 100, 0)), "  0 %  --:-- left  -.-x");
    // 10 minutes of media, 1 minute written in 20 s: 3x, 3 minutes left.
    EXPECT_EQ(cli::ProgressText(engine::MeasureProgress(60 * 10000000LL, 600 * 10000000LL, 20)),
              " 10 %  3:00 left  3.0x");
    // Past an hour the hours show.
    EXPECT_EQ(cli::ProgressText(engine::MeasureProgress(36 * 10000000LL, 36000 * 10000000LL, 36)),
              "  0 %  9:59:24 left  1.0x");
    // A source of unknown length: the time written.
    EXPECT_EQ(cli::ProgressText(engine::MeasureProgress(75 * 10000000LL, 0, 25)), "1:15 written  3.0x");
}

TEST(ProgressLine, RedrawsInPlaceOnATerminal) {
    const std::string text = Drawn(true, {0.05, 0.5, 1.0});
    EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line, ended once
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3);
    EXPECT_NE(text.find("\r100 %"), std::string::npos);
}

TEST(ProgressLine, WritesOneLinePerTenthElsewhere) {
    const std::string text = Drawn(false, {0.01, 0.02, 0.15, 0.17, 0.45, 0.99, 1.0});
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text,
              "  1 %  3:18 left  3.0x\n"
              " 15 %  2:50 left  3.0x\n"
              " 45 %  1:50 left  3.0x\n"
              " 99 %  0:02 left  3.0x\n"
              "100 %  0:00 left  3.0x\n");
}

}  // namespace
