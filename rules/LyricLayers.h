// Which lyric lines a frame draws and at what depth, without GL: every line whose window holds
// the time strictly, in index order, the first at "zscore" 0.1 and each later one 0.01 nearer,
// stepped in single precision once per drawn line. Ten lines fit above zero. The scan visits
// every line's window, a thousand at most, and allocates nothing.
#pragma once

#include <algorithm>
#include <vector>

#include "engine/ShowClock.h"
#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"
#include "rules/TimingFile.h"

constexpr float kBackgroundZscore = 0.11f;
constexpr float kFirstLineZscore = 0.1f;
constexpr float kLineZscoreStep = -0.01f;
static_assert(int(kFirstLineZscore / -kLineZscoreStep + 0.5f) == kMostLinesAtOnce,
              "the lines that fit above zero are the lines the show can show at once");

// Calls drawLine(line, zscore) for each active line of `count`, in drawing order. Allocates
// nothing, so the frame loop can call it every frame.
template <typename DrawLine>
void forEachActiveLine(const double* lineStart, const double* lineEnd, int count, double time, DrawLine drawLine)
{
    float zscore = kFirstLineZscore;
    for (int line = 0; line < count; ++line) {
        if (cg_engine::isActiveAt(lineStart[line], lineEnd[line], time)) {
            drawLine(line, zscore);
            zscore += kLineZscoreStep;
        }
    }
}

// The stock show's 87 lines.
template <typename DrawLine>
void forEachActiveLine(const double (&lineStart)[kLyricLineCount], const double (&lineEnd)[kLyricLineCount],
                       double time, DrawLine drawLine)
{
    forEachActiveLine(lineStart, lineEnd, kLyricLineCount, time, drawLine);
}

// The moments within a lyrics scene's window (from `sceneStart` to `sceneEnd`) where the lines
// shown can change: every window's opening and closing, and the scene's own ends, sorted and
// distinct. The same lines show all through each span between two neighbours, so one moment
// inside it tells what the span shows. For tools that survey a whole timing file; it allocates,
// so the frame loop never calls it.
inline std::vector<double> lyricWindowEdges(const double* lineStart, const double* lineEnd, int count,
                                            double sceneStart, double sceneEnd)
{
    std::vector<double> edges = {sceneStart, sceneEnd};
    for (int line = 0; line < count; ++line) {
        for (double edge : {lineStart[line], lineEnd[line]})
            if (edge > sceneStart && edge < sceneEnd)
                edges.push_back(edge);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

// The stock show's 87 lines in its lyrics scene, 0 to 45 s.
inline std::vector<double> lyricWindowEdges(const double (&lineStart)[kLyricLineCount],
                                            const double (&lineEnd)[kLyricLineCount])
{
    return lyricWindowEdges(lineStart, lineEnd, kLyricLineCount, kLyricsStart, kLyricsEnd);
}
