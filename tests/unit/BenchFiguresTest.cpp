// The benchmark table's arithmetic: medians, the busiest moment of the lyrics, a run's pacing
// from its swaps, and the rows scripts/bench prints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/BenchFigures.h"

TEST(BenchFigures, MedianIsTheMiddleOfTheSortedValues)
{
    struct Case {
        std::vector<double> values;
        double median;
    };
    const Case cases[] = {
        {{}, 0.0}, {{4.0}, 4.0}, {{9.0, 1.0, 5.0}, 5.0}, {{8.0, 2.0, 4.0, 100.0}, 6.0}, {{3.0, 3.0, 1.0}, 3.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(median(c.values), c.median) << testing::PrintToString(c.values);
}

TEST(BenchFigures, TheBusiestMomentIsTheMiddleOfTheFirstStretchWithTheMostLines)
{
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> windows;  // lines 0, 1, …; the rest never show
        double time;
        int lines;
    };
    const Case cases[] = {
        {"no line shows", {}, 0.0, 0},
        {"one line", {{2.0, 4.0}}, 3.0, 1},
        {"where two overlap", {{2.0, 6.0}, {5.0, 9.0}}, 5.5, 2},
        {"the first of two equal crowds", {{1.0, 3.0}, {2.0, 3.0}, {10.0, 12.0}, {11.0, 12.0}}, 2.5, 2},
        {"three at once beat two earlier", {{1.0, 3.0}, {2.0, 3.0}, {20.0, 30.0}, {21.0, 30.0}, {22.0, 24.0}}, 23.0, 3},
        {"only within the lyrics", {{40.0, 50.0}, {44.0, 60.0}}, 44.5, 2},
        {"a window that never opens counts for nothing", {{5.0, 5.0}, {4.0, 6.0}}, 4.5, 1},
    };
    for (const Case& c : cases) {
        double lineStart[kLyricLineCount] = {};
        double lineEnd[kLyricLineCount] = {};
        for (size_t line = 0; line < c.windows.size(); ++line) {
            lineStart[line] = c.windows[line].first;
            lineEnd[line] = c.windows[line].second;
        }
        BusiestMoment busiest = busiestMoment(lineStart, lineEnd);
        EXPECT_DOUBLE_EQ(busiest.time, c.time) << c.what;
        EXPECT_EQ(busiest.lines, c.lines) << c.what;
    }
}

TEST(BenchFigures, PacingMeasuresEachFrameFromSwapToSwap)
{
    struct Case {
        const char* what;
        std::vector<double> swaps;
        std::pair<double, double> within;
        FramePacing pacing;
    };
    const Case cases[] = {
        {"no frame between fewer than two swaps", {5.0}, {0.0, 1e300}, {0, 0.0, 0.0, 0.0}},
        {"even frames", {10.0, 10.5, 11.0, 11.5}, {0.0, 1e300}, {3, 0.5, 0.5, 0.5}},
        {"one hitch", {0.0, 1.0, 2.0, 5.0, 6.0}, {0.0, 1e300}, {4, 1.0, 3.0, 5.0}},
        {"the first of two equal longest", {0.0, 2.0, 3.0, 5.0}, {0.0, 1e300}, {3, 2.0, 2.0, 2.0}},
        {"the frames that end within a stretch", {0.0, 1.0, 2.0, 5.0, 6.0, 6.5}, {2.0, 6.0}, {2, 2.0, 3.0, 5.0}},
    };
    for (const Case& c : cases) {
        FramePacing pacing = framePacing(c.swaps, c.within.first, c.within.second);
        EXPECT_EQ(pacing.frames, c.pacing.frames) << c.what;
        EXPECT_DOUBLE_EQ(pacing.median, c.pacing.median) << c.what;
        EXPECT_DOUBLE_EQ(pacing.longest, c.pacing.longest) << c.what;
        EXPECT_DOUBLE_EQ(pacing.longestEndsAt, c.pacing.longestEndsAt) << c.what;
    }
}

TEST(BenchFigures, RowsGiveTheRatioAndWhetherTheTargetHolds)
{
    struct Case {
        TableFigure figure;
        std::string row;
    };
    const Case cases[] = {
        {{"a frame", 6.0, 4.0, "ms", 1.5}, "| a frame | 6 ms | 4 ms | 1.50× | at most 1.5×: holds |"},
        {{"a frame", 6.1, 4.0, "ms", 1.5}, "| a frame | 6.10 ms | 4 ms | 1.52× | at most 1.5×: does not hold |"},
        {{"start-up", 123.4, 12.26, "ms", 1.2}, "| start-up | 123 ms | 12.3 ms | 10.1× | at most 1.2×: does not hold |"},
        {{"no floor measured", 3.0, 0.0, "s", 2.0}, "| no floor measured | 3 s | 0 s | | at most 2×: does not hold |"},
        {{"parsing", 95.26, 0.0, "MB/s", 0.0, false}, "| parsing | 95.3 MB/s | | | reported |"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tableRow(c.figure), c.row);
    EXPECT_EQ(countRow("the loop", 0, 0), "| the loop | 0 allocations, 0 files opened | 0 and 0 | | 0 and 0: holds |");
    EXPECT_EQ(countRow("the loop", 3, 0),
              "| the loop | 3 allocations, 0 files opened | 0 and 0 | | 0 and 0: does not hold |");
    EXPECT_EQ(countRow("the loop", 0, 1),
              "| the loop | 0 allocations, 1 files opened | 0 and 0 | | 0 and 0: does not hold |");
}
