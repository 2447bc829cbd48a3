// The timeline picture of a show: the music's waveform along the time axis with its bar lines,
// the two scenes' windows, and one row per lyric line whose bar spans its window and carries a
// thumbnail of its image. Moments when more than ten lines show, and lines that never show,
// are marked in red; slots left unused are drawn faint. Drawn in memory, no GL.
#pragma once

#include <array>
#include <utility>

#include "rules/TimingFile.h"
#include "tools/check/Canvas.h"
#include "tools/check/TimingCheck.h"
#include "tools/lib/base/DecodedMusic.h"

class Font;

// A lyric line's bar, under its thumbnail.
constexpr Pixel kTimelineBar = {88, 80, 168, 255};

// Where everything lies in a picture of a given size.
struct TimelineLayout {
    int width = 0;
    int height = 0;
    double duration = 0.0;  // seconds the axis spans, from 0
    int axisLeft = 0;       // the column of 0 s
    int axisRight = 0;      // the column of `duration`
    int waveTop = 0;
    int waveBottom = 0;
    int sceneTop = 0;
    int sceneRowHeight = 0;  // the lyrics scene's row, then the photo scene's
    int rowsTop = 0;
    int rowHeight = 0;  // one per lyric line, the first pair's at the top

    int column(double seconds) const;
    // The columns [first, second) the bar of a window covers: its part within the axis, at
    // least one column wide; an empty pair when no part of it lies there.
    std::pair<int, int> barColumns(double start, double end) const;
    int rowTop(int line) const { return rowsTop + line * rowHeight; }
};

TimelineLayout layoutTimeline(int width, int height, double duration);

struct TimelineContent {
    const TimingCheck* timing = nullptr;
    std::array<const Canvas*, kLyricLineCount> thumbnails = {};  // null where there is no image
    const DecodedMusic* music = nullptr;                         // null when it could not be decoded
};

// `font` labels the picture; without one it is drawn unlabelled.
Canvas drawTimeline(const TimelineContent& content, const TimelineLayout& layout, Font* font);
