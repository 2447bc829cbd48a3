// Checking the lyric timing file with the show's own reader (rules/TimingFile.h) and its rule
// for which lines draw (rules/LyricLayers.h): pairs that stop the reading, windows that never
// show or show too briefly, and moments when more lines show than the depth order has room
// for. Slots a song leaves unused, a fully transparent image whose window never shows, pass
// in silence. No GL.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "rules/ShowFiles.h"
#include "rules/TimingFile.h"
#include "tools/lib/base/Finding.h"

struct TimedLine {
    double start = 0.0;
    double end = 0.0;
    bool read = false;    // its pair was read whole
    size_t line = 0;      // where its pair begins in the file; 0 when not read
    bool shows = false;   // its window meets the lyrics scene's
    bool unused = false;  // a slot left empty on purpose
};

// A stretch of show time in which more than ten lines show.
struct Crowd {
    double from = 0.0;
    double to = 0.0;
    int count = 0;  // the most at once within it
    int line = 0;   // the lyric line whose appearance begins it
};

struct TimingCheck {
    std::array<TimedLine, kLyricLineCount> lines;
    std::vector<Crowd> crowds;
};


// `text` is the file's content, nothing when it cannot be read; `transparent[i]` says that
// lyric line i's image draws nothing.
TimingCheck checkTiming(const std::optional<std::string>& text, const std::string& path,
                        const std::array<bool, kLyricLineCount>& transparent, std::vector<Finding>& findings);
