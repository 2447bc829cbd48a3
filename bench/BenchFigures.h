// The arithmetic of the benchmark table, with no GL: medians of interleaved samples, the moment
// of the lyrics when the most lines show, the pacing of a run from its buffer swaps, and the
// table's rows, which scripts/bench collects from the benchmarks' labels.
//
//   double frame = median(showSamples), floor = median(floorSamples);
//   state.SetLabel(tableRow({"a frame at 3 s", frame, floor, "ms", 1.5}));
#pragma once

#include <string>
#include <vector>

#include "rules/TimingFile.h"

// The middle value, or the mean of the two middle values; 0 for no values.
double median(std::vector<double> values);

// Within the lyrics (0 to 45 s), the middle of the first stretch of time in which the most
// lines show at once, and how many they are.
struct BusiestMoment {
    double time = 0.0;
    int lines = 0;
};
BusiestMoment busiestMoment(const double (&lineStart)[kLyricLineCount], const double (&lineEnd)[kLyricLineCount]);
// The same for `count` lines within the window from `from` to `to`.
BusiestMoment busiestMoment(const double* lineStart, const double* lineEnd, int count, double from, double to);

// The frames of a run from the moments its buffer swaps returned, in seconds: each frame lasts
// from one swap to the next. Only frames that end from `from` to before `to` seconds after the
// first swap count, all of them by default.
struct FramePacing {
    size_t frames = 0;
    double median = 0.0;
    double longest = 0.0;
    double longestEndsAt = 0.0;  // seconds after the first swap
};
FramePacing framePacing(const std::vector<double>& swaps, double from = 0.0, double to = 1e300);

// One row of the table: what is measured, its figure and floor in `unit`, and the largest
// figure / floor that meets the target (0 when the figure is only reported). Without a floor
// the ratio column stays empty.
struct TableFigure {
    std::string what;
    double figure = 0.0;
    double floor = 0.0;
    std::string unit;
    double largestRatio = 0.0;
    bool hasFloor = true;
};

// "| what | figure | floor | ratio | target |" in Markdown, the target followed by whether it
// holds.
std::string tableRow(const TableFigure& figure);

// The row of a count that must stay at nothing: allocations and files opened, whose floor and
// target are 0 and 0.
std::string countRow(const std::string& what, long allocations, long filesOpened);
