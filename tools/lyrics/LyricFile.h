// Reading the hand-edited lyric file (LRC, with explicit line ends and word stamps) into the
// show's timed lyric entries. No GL and no FreeType, so tests and other tools can use it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "show/LineTextureName.h"

// The show pairs exactly this many timing lines with the textures "000"…"086".
inline constexpr int kLyricEntryCount = kLyricLineCount;

// A plain LRC line with no later line to end it stays up this long after its last entry starts.
inline constexpr double kLastLineSeconds = 4.0;

// One image of the show: a word or word group that appears at `start` and leaves at `end`.
struct LyricEntry {
    double start = 0.0;  // seconds of show time, the file's offset applied
    double end = 0.0;
    std::string text;  // the words, trimmed
    int row = 0;       // index into LyricSheet::rows
    int sourceLine = 0;
    // Where `text` sits inside its row's phrase, in bytes, so the row can be laid out whole.
    std::size_t phraseBegin = 0;
    std::size_t phraseEnd = 0;
};

// One source line as shown on screen once all its entries are up.
struct LyricRow {
    std::string phrase;
    double start = 0.0;
    double end = 0.0;
    int sourceLine = 0;
    int firstEntry = 0;
    int entryCount = 0;
};

struct LyricSheet {
    std::vector<LyricRow> rows;
    std::vector<LyricEntry> entries;
    int offsetMilliseconds = 0;
};

struct LyricParse {
    LyricSheet sheet;
    std::vector<std::string> errors;  // one line each: "<path>:<line>: <what>"
    bool ok() const { return errors.empty(); }
};

// Parses the whole file. With `expectedEntries` set, a different number of entries is an error
// naming the line of the first entry too many, or the last line when there are too few.
LyricParse parseLyrics(std::string_view text, std::string_view path,
                       std::optional<int> expectedEntries = kLyricEntryCount);

// "mm:ss", "mm:ss.x", "mm:ss.xx" or "mm:ss.xxx" as milliseconds; nothing when malformed.
std::optional<long long> parseLyricTime(std::string_view text);
