// The lyrics as an ASS subtitle file with karaoke fills, the way someone without this project
// burns timed lyrics into a video (ffmpeg's "ass" filter, libass): one event per row, shown
// over the row's window with a fade in and out, each word filled from left to right (\kf)
// from its own start until the next word's. The benchmarks measure that route beside ours.
//
//   LyricParse parse = parseLyrics(text, path);
//   fitToShow(parse, path);
//   std::string ass = assKaraoke(parse.sheet);
#pragma once

#include <string>
#include <string_view>

#include "tools/lib/lyrics/LyricFile.h"

struct AssCanvas {
    int width = 1920;
    int height = 1080;
    int fontSize = 64;  // as the lyric images are set
};

std::string assKaraoke(const LyricSheet& sheet, const AssCanvas& canvas = {});

// "H:MM:SS.cc", the form ASS events give their times in, rounded to the centisecond.
std::string assTime(double seconds);

// Text that libass shows as it reads: braces would open and close override blocks, and a
// backslash before N, n or h would break or join lines.
std::string assText(std::string_view text);
