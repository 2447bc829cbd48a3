// The benchmark table's arithmetic.
#include "bench/BenchFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "rules/LyricLayers.h"
#include "rules/ShowTimeline.h"

namespace {

std::string number(double value)
{
    char text[32];
    double size = std::fabs(value);
    std::snprintf(text, sizeof text, size >= 100.0 || value == std::floor(value) ? "%.0f" : size >= 10.0 ? "%.1f" : "%.2f",
                  value);
    return text;
}

// "| a | b |", an empty cell as "| |".
std::string markdownRow(const std::vector<std::string>& cells)
{
    std::string row = "|";
    for (const std::string& cell : cells)
        row += cell.empty() ? " |" : " " + cell + " |";
    return row;
}

}  // namespace

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

BusiestMoment busiestMoment(const double (&lineStart)[kLyricLineCount], const double (&lineEnd)[kLyricLineCount])
{
    return busiestMoment(lineStart, lineEnd, kLyricLineCount, kLyricsStart, kLyricsEnd);
}

BusiestMoment busiestMoment(const double* lineStart, const double* lineEnd, int count, double from, double to)
{
    std::vector<double> moments = lyricWindowEdges(lineStart, lineEnd, count, from, to);

    BusiestMoment busiest;
    for (size_t i = 0; i + 1 < moments.size(); ++i) {
        double middle = (moments[i] + moments[i + 1]) / 2.0;
        int lines = 0;
        forEachActiveLine(lineStart, lineEnd, count, middle, [&](int, float) { ++lines; });
        if (lines > busiest.lines)
            busiest = {middle, lines};
    }
    return busiest;
}

FramePacing framePacing(const std::vector<double>& swaps, double from, double to)
{
    FramePacing pacing;
    std::vector<double> frames;
    for (size_t i = 1; i < swaps.size(); ++i) {
        double endsAt = swaps[i] - swaps.front();
        if (endsAt < from || endsAt >= to)
            continue;
        double frame = swaps[i] - swaps[i - 1];
        frames.push_back(frame);
        if (frame > pacing.longest) {
            pacing.longest = frame;
            pacing.longestEndsAt = endsAt;
        }
    }
    pacing.frames = frames.size();
    pacing.median = median(frames);
    return pacing;
}

std::string tableRow(const TableFigure& figure)
{
    double ratio = figure.floor > 0.0 ? figure.figure / figure.floor : 0.0;
    std::string floor = figure.hasFloor ? number(figure.floor) + " " + figure.unit : "";
    std::string ratioText = figure.hasFloor && figure.floor > 0.0 ? number(ratio) + "×" : "";
    std::string target = "reported";
    if (figure.largestRatio > 0.0) {
        char limit[32];
        std::snprintf(limit, sizeof limit, "at most %g×: ", figure.largestRatio);
        bool holds = figure.floor > 0.0 && ratio <= figure.largestRatio;
        target = limit + std::string(holds ? "holds" : "does not hold");
    }
    return markdownRow({figure.what, number(figure.figure) + " " + figure.unit, floor, ratioText, target});
}

std::string countRow(const std::string& what, long allocations, long filesOpened)
{
    bool holds = allocations == 0 && filesOpened == 0;
    return markdownRow({what,
                        std::to_string(allocations) + " allocations, " + std::to_string(filesOpened) + " files opened",
                        "0 and 0", "", std::string("0 and 0: ") + (holds ? "holds" : "does not hold")});
}
