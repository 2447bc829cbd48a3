// The timeline picture of a show: the music's waveform along the time axis with its bar lines,
// every scene's window on its kind's row, and one row per lyric line in use whose bar spans its
// window and carries a thumbnail of its image. Moments when more than ten lines show, and lines
// that never show, are marked in red. Labels are spaced to fit whatever the song's length, and
// a scene's label is drawn only where it fits. Drawn in memory, no GL.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "rules/SceneList.h"
#include "rules/ShowTimeline.h"
#include "rules/TimingFile.h"
#include "tools/check/Canvas.h"
#include "tools/check/TimingCheck.h"
#include "tools/lib/base/DecodedMusic.h"

class FontChain;

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
    int sceneRowHeight = 0;  // the lyrics scenes' row, then the photo scenes'
    int rowsTop = 0;
    int rowHeight = 0;  // one per lyric line in use, the first pair's at the top
    int rowCount = 0;

    int column(double seconds) const;
    // The columns [first, second) the bar of a window covers: its part within the axis, at
    // least one column wide; an empty pair when no part of it lies there.
    std::pair<int, int> barColumns(double start, double end) const;
    int rowTop(int row) const { return rowsTop + row * rowHeight; }
};

TimelineLayout layoutTimeline(int width, int height, double duration, int rowCount = kLyricLineCount);

// The music's grid the bar lines follow: the stock show's 128 BPM from 0 s, or a made show's.
struct BarGrid {
    double secondsPerBar = kSecondsPerBar;
    double firstDownbeat = 0.0;
};

// The grid a background program keeps its beat on: its lines "const float kBeat = 60.0 / N;"
// and, in a made show's, "const float kDownbeat = T;"; the stock grid where they are missing.
BarGrid barGridOf(std::string_view backgroundSource);

// The step between labels along an axis of `pixelsPerUnit`: the first of `steps` whose labels
// lie at least `spacing` pixels apart, else the last.
double labelStep(double pixelsPerUnit, const std::vector<double>& steps, double spacing);

struct TimelineContent {
    const TimingCheck* timing = nullptr;
    std::vector<const Canvas*> thumbnails;  // one per lyric line; null where there is no image
    const DecodedMusic* music = nullptr;    // null when it could not be decoded
    std::vector<ListedScene> scenes;
    BarGrid grid;
};

// The lyric lines that get a row: every one but the slots left unused.
std::vector<int> linesInUse(const TimingCheck& timing);

// `font` labels the picture; without one it is drawn unlabelled.
Canvas drawTimeline(const TimelineContent& content, const TimelineLayout& layout, FontChain* font);
