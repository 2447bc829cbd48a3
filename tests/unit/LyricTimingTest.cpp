// The lyric timing file, which lines a frame draws and their "zscore" sequence, without GL.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "rules/LyricLayers.h"
#include "tests/support/TempDir.h"
#include "tests/support/TimingText.h"

namespace {

struct Timing {
    double start[kLyricLineCount] = {};
    double end[kLyricLineCount] = {};
    TimingRead read;
};

Timing readText(const std::string& text)
{
    Timing timing;
    timing.read = readTimingText(text, timing.start, timing.end);
    return timing;
}

std::string pairsText(int count, const char* separator)
{
    std::string text;
    for (int k = 1; k <= count; ++k)
        text += std::to_string(k) + ".25 " + std::to_string(k + 1) + ".5" + separator;
    return text;
}

std::vector<std::pair<int, float>> drawnAt(const Timing& timing, double time)
{
    std::vector<std::pair<int, float>> drawn;
    forEachActiveLine(timing.start, timing.end, time, [&](int line, float zscore) { drawn.push_back({line, zscore}); });
    return drawn;
}

}  // namespace

TEST(TimingFile, PairsOnOneLineReadLikePairsPerLine)
{
    Timing perLine = readText(pairsText(kLyricLineCount, "\n"));
    Timing oneLine = readText(pairsText(kLyricLineCount, " "));
    Timing crlfAndTabs = readText(pairsText(kLyricLineCount, "\r\n\t"));
    for (const Timing* timing : {&perLine, &oneLine, &crlfAndTabs}) {
        EXPECT_EQ(timing->read.pairsRead, kLyricLineCount);
        EXPECT_STREQ(timing->read.stopReason, "");
        for (int i = 0; i < kLyricLineCount; ++i) {
            EXPECT_EQ(timing->start[i], perLine.start[i]);
            EXPECT_EQ(timing->end[i], perLine.end[i]);
        }
    }
    EXPECT_EQ(perLine.start[0], 1.25);
    EXPECT_EQ(perLine.end[86], 88.5);

    Timing signs = readText("-1e1 +2.5e-1\n.5 3.");
    EXPECT_EQ(signs.start[0], -10.0);
    EXPECT_EQ(signs.end[0], 0.25);
    EXPECT_EQ(signs.start[1], 0.5);
    EXPECT_EQ(signs.end[1], 3.0);
}

TEST(TimingFile, ReadingStopsAtTheFirstPairItCannotReadAndLaterLinesStayHidden)
{
    struct Case {
        std::string name;
        std::string text;
        int pairsRead;
        const char* stopReason;
        double startOfStoppedPair;
    };
    const Case cases[] = {
        {"80 pairs", pairsText(80, "\n"), 80, "end of file", 0.0},
        {"empty", "", 0, "end of file", 0.0},
        {"bad first number", pairsText(4, "\n") + "x 2\n" + pairsText(10, "\n"), 4, "not a number", 0.0},
        {"bad second number", pairsText(4, "\n") + "7.5 oops\n" + pairsText(10, "\n"), 4, "not a number", 7.5},
        // The C library consumes a lone "." before failing; later pairs must stay unread all the same.
        {"token that starts like a number", pairsText(4, "\n") + "9.2 . 5 6\n" + pairsText(10, "\n"), 4,
         "not a number", 9.2},
        {"sign alone", pairsText(1, "\n") + "- 5 6 7\n", 1, "not a number", 0.0},
        {"start without end", pairsText(2, "\n") + "9", 2, "end of file", 9.0},
        {"more than 87", pairsText(90, "\n"), kLyricLineCount, "", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Timing timing = readText(c.text);
        EXPECT_EQ(timing.read.pairsRead, c.pairsRead);
        EXPECT_STREQ(timing.read.stopReason, c.stopReason);
        if (c.pairsRead == kLyricLineCount)
            continue;
        EXPECT_EQ(timing.start[c.pairsRead], c.startOfStoppedPair);
        EXPECT_EQ(timing.end[c.pairsRead], 0.0);
        for (int i = c.pairsRead + 1; i < kLyricLineCount; ++i) {
            EXPECT_EQ(timing.start[i], 0.0) << i;
            EXPECT_EQ(timing.end[i], 0.0) << i;
        }
        for (double t : {0.5, 10.0, 44.0, 80.0})
            for (auto [line, zscore] : drawnAt(timing, t))
                EXPECT_LT(line, c.pairsRead) << "at " << t;
    }
}

TEST(TimingFile, AListedShowTimesEveryPairUpToAThousandAndNoneOfABrokenFile)
{
    TempDir folder;
    struct Case {
        std::string name;
        std::string text;
        int count;
        std::string message;
    };
    const Case cases[] = {
        {"three pairs", pairsText(3, "\n"), 3, ""},
        {"empty", "", 0, ""},
        {"a pair cut short at the end", pairsText(2, "\n") + "7.5", 2, ""},
        {"a thousand", pairsText(kMostLyricEntries, " "), kMostLyricEntries, ""},
        {"a thousand and one", pairsText(kMostLyricEntries + 1, "\n"), kMostLyricEntries,
         "sovane05: T: more than 1000 pairs; those after pair 1000 stay hidden\n"},
        {"not a number", pairsText(4, "\n") + "x 2\n" + pairsText(4, "\n"), 0,
         "sovane05: T: pair 5 is not a number; the lines' images are named by how many pairs there are, so every "
         "lyric line stays hidden\n"},
    };
    std::vector<double> start(kMostLyricEntries), end(kMostLyricEntries);
    WorkingFolder inside(folder.path());
    for (const Case& c : cases) {
        writeFile(folder / "T", c.text);
        ::testing::internal::CaptureStderr();
        int count = readEveryTimingPair("T", start.data(), end.data());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.message) << c.name;
        EXPECT_EQ(count, c.count) << c.name;
        if (count > 0) {
            EXPECT_EQ(start[0], 1.25) << c.name;
            EXPECT_EQ(end[size_t(count - 1)], count + 1.5) << c.name;
        }
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(readEveryTimingPair("missing", start.data(), end.data()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "sovane05: missing: cannot open the lyric timing (No such file or directory); every lyric line stays "
              "hidden\n");
}

TEST(TimingFile, PairKShowsTheTextureNamedEightySevenMinusK)
{
    EXPECT_STREQ(lineTextureName(0).data(), "086");
    EXPECT_STREQ(lineTextureName(1).data(), "085");
    EXPECT_STREQ(lineTextureName(76).data(), "010");
    EXPECT_STREQ(lineTextureName(80).data(), "006");
    EXPECT_STREQ(lineTextureName(86).data(), "000");
}

TEST(LyricLayers, OnlyLinesWhoseWindowHoldsTheTimeStrictlyAreDrawn)
{
    Timing timing;
    const std::pair<double, double> windows[] = {
        {1.0, 3.0},   // 0
        {3.0, 3.0},   // 1: empty
        {5.0, 4.0},   // 2: inverted
        {2.0, 50.0},  // 3: reaches past the scene
        {45.0, 47.0}, // 4: after the scene; the scene itself is never rendered then
    };
    for (int i = 0; i < 5; ++i) {
        timing.start[i] = windows[i].first;
        timing.end[i] = windows[i].second;
    }
    struct Case {
        double time;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {0.0, {}}, {1.0, {}}, {1.001, {0}}, {2.5, {0, 3}}, {3.0, {3}}, {4.5, {3}}, {44.999, {3}}, {46.0, {3, 4}},
    };
    for (const Case& c : cases) {
        std::vector<int> lines;
        for (auto [line, zscore] : drawnAt(timing, c.time))
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines) << "at " << c.time;
    }
}

TEST(LyricLayers, ZscoreStartsAtOneTenthAndStepsOncePerDrawnLineInSinglePrecision)
{
    Timing two;
    two.start[3] = two.start[7] = 1.0;
    two.end[3] = two.end[7] = 2.0;
    auto drawn = drawnAt(two, 1.5);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0], (std::pair<int, float>{3, 0.1f}));
    EXPECT_EQ(drawn[1], (std::pair<int, float>{7, 0.1f + -0.01f}));

    Timing twelve;
    for (int i = 0; i < 12; ++i) {
        twelve.start[i * 7] = 0.0;
        twelve.end[i * 7] = 10.0;
    }
    drawn = drawnAt(twelve, 5.0);
    ASSERT_EQ(drawn.size(), 12u);
    float expected = 0.1f;
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(drawn[k].first, k * 7);
        EXPECT_EQ(drawn[k].second, expected) << "line drawn " << k;
        EXPECT_LT(drawn[k].second, k == 0 ? kBackgroundZscore : drawn[k - 1].second) << "falls layer by layer";
        expected += -0.01f;
    }
    EXPECT_GT(drawn[9].second, 0.0f) << "ten lines stay above zero";
    EXPECT_LT(drawn[11].second, 0.0f);
}
