// The show's files and limits, written once for the show and for every tool that makes, checks
// or draws a show folder: where the show reads, relative to its working folder, how many lyric
// lines it times and how many it can show at once. No GL here.
#pragma once

#include <string_view>

// The folder the show reads, relative to its working folder, and the files in it that the show
// itself opens; everything else is named by the config.
constexpr const char* kShowDataFolder = "data";
constexpr const char* kConfigFileName = "config.txt";
constexpr const char* kTimingFileName = "texttiming.txt";
constexpr const char* kMusicFileName = "ywsf.mp3";

// The same three as the show opens them.
constexpr const char* kShowConfigPath = "data/config.txt";
constexpr const char* kShowTimingPath = "data/texttiming.txt";
constexpr const char* kShowMusicPath = "data/ywsf.mp3";

static_assert(std::string_view(kShowConfigPath) == std::string_view("data/config.txt") &&
              std::string_view(kShowConfigPath).ends_with(kConfigFileName) &&
              std::string_view(kShowTimingPath).ends_with(kTimingFileName) &&
              std::string_view(kShowMusicPath).ends_with(kMusicFileName));

// The lyric lines the show times and draws: one per timing pair and per image "000" … "086".
constexpr int kLyricLineCount = 87;

// A show with a scene list times as many lyric entries as its timing file holds, up to this
// many: three digits name them, "000" … "999".
constexpr int kMostLyricEntries = 1000;

// The lines that can show at once: the depth order gives the first "zscore" 0.1 and each later
// one 0.01 less, so an eleventh would draw at zero and below (rules/LyricLayers.h).
constexpr int kMostLinesAtOnce = 10;

// A line whose window is shorter than this flashes past unread.
constexpr double kShortestShowing = 0.3;
