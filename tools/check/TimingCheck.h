// Checking the lyric timing file with the show's own reader (rules/TimingFile.h) and its rule
// for which lines draw (rules/LyricLayers.h): pairs that stop the reading, windows that no
// lyrics scene shows or shows too briefly, and moments when more lines show than the depth
// order has room for. Slots a song leaves unused, a fully transparent image whose window never
// shows, pass in silence. The stock show reads 87 pairs; a show with a scene list as many as
// the file holds, up to 1000. No GL.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rules/ShowFiles.h"
#include "rules/TimingFile.h"
#include "tools/lib/base/Finding.h"

struct TimedLine {
    double start = 0.0;
    double end = 0.0;
    bool read = false;    // its pair was read whole
    size_t line = 0;      // where its pair begins in the file; 0 when not read
    bool shows = false;   // its window meets a lyrics scene's
    bool unused = false;  // a slot left empty on purpose
};

// A stretch of show time in which more than ten lines show.
struct Crowd {
    double from = 0.0;
    double to = 0.0;
    int count = 0;  // the most at once within it
    int line = 0;   // the lyric line whose appearance begins it
};

// What the show makes of the file: how many pairs it reads, and where its lyrics scenes draw.
struct TimingRules {
    bool listed = false;  // a show with a scene list: every pair, up to 1000
    std::vector<std::pair<double, double>> lyricsWindows = {{0.0, 45.0}};
};

struct TimingCheck {
    TimingRules rules;
    // One per lyric line the show times: 87 in the stock show, whether read or not; as many as
    // were read with a scene list.
    std::vector<TimedLine> lines;
    std::vector<Crowd> crowds;

    // The line's image name, "086" for the first of 87.
    std::string name(int line) const;
};

// Reads the file as the show does, reporting what stops the reading. `text` is its content,
// nothing when it cannot be read.
TimingCheck readTimingForCheck(const std::optional<std::string>& text, const std::string& path,
                               const TimingRules& rules, std::vector<Finding>& findings);

// Each line's window against the lyrics scenes, and the crowds; `transparent[i]` says that
// lyric line i's image draws nothing.
void checkTimingWindows(TimingCheck& check, const std::string& path, const std::vector<bool>& transparent,
                        std::vector<Finding>& findings);
