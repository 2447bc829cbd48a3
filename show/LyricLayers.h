// Which lyric lines a frame draws and at what depth, without GL: every line whose window holds
// the time strictly, in index order, the first at "zscore" 0.1 and each later one 0.01 nearer,
// stepped in single precision once per drawn line. Ten lines fit above zero.
#pragma once

#include "engine/ShowClock.h"
#include "show/TimingFile.h"

constexpr float kBackgroundZscore = 0.11f;
constexpr float kFirstLineZscore = 0.1f;
constexpr float kLineZscoreStep = -0.01f;

// Calls drawLine(line, zscore) for each active line, in drawing order. Allocates nothing, so
// the frame loop can call it every frame.
template <typename DrawLine>
void forEachActiveLine(const double (&lineStart)[kLyricLineCount], const double (&lineEnd)[kLyricLineCount],
                       double time, DrawLine drawLine)
{
    float zscore = kFirstLineZscore;
    for (int line = 0; line < kLyricLineCount; ++line) {
        if (cg_engine::isActiveAt(lineStart[line], lineEnd[line], time)) {
            drawLine(line, zscore);
            zscore += kLineZscoreStep;
        }
    }
}
