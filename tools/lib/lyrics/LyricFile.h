// Reading the hand-edited lyric file (LRC, with explicit line ends and word stamps) into the
// show's timed lyric entries. No GL and no FreeType, so tests and other tools can use it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/LineTextureName.h"
#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"

// The show pairs this many timing lines with the textures "000"…"086"; a file may fill fewer.
inline constexpr int kLyricEntryCount = kLyricLineCount;

// A plain LRC line with no later line to end it stays up this long after its last entry starts.
inline constexpr double kLastLineSeconds = 4.0;

// More characters than nine rows of the narrowest letters hold across the screen: a longer line
// can never be shown, so it is refused before it costs anything.
inline constexpr std::size_t kLongestLineCharacters = 1000;

// Messages quote at most this many characters of the user's text.
inline constexpr std::size_t kShownCharacters = 60;

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
    std::optional<long long> lengthMilliseconds;  // the song's length as [length:] gives it
    int leftOut = 0;                              // entries left out after the lyric scene
    int leftOutBefore = 0;                        // entries left out before the part of the song taken
};

struct LyricParse {
    LyricSheet sheet;
    std::vector<std::string> errors;    // one line each: "<path>:<line>: <what>"
    std::vector<std::string> warnings;  // the same form; what was changed to fit the show
    bool ok() const { return errors.empty(); }
};

// Parses the whole file: every line with a fault is reported and left out, the rest is read. An
// empty file, or one with no timed line of words, is an error of the whole file.
LyricParse parseLyrics(std::string_view text, std::string_view path);

// Parses the file's bytes in whatever encoding they are (tools/lib/unicode/TextEncoding.h: a
// byte-order mark, the encoding detected, or `encoding` when given): a guessed encoding is a
// warning of the whole file, and each line holding bytes that are not text is an error.
LyricParse parseLyricFile(std::string_view bytes, std::string_view path, std::string_view encoding = {});

// What the show can hold. The stock show's lyric scene ends at 45 s and has 87 slots; a show
// made of a whole song holds its lyrics up to the music's end, in up to 1000 slots.
struct ShowFit {
    // The part of the song the show plays begins here, in the file's time: every time moves
    // earlier by it, and entries that start before it are left out.
    double songStart = 0.0;
    double sceneEnd = kLyricsEnd;  // entries starting at or after it, once moved, never show
    // How messages name that end and what holds the entries; empty: "the lyric scene ends at
    // 45 s" and "the lyric scene".
    std::string sceneEndName;
    std::string holderName;
    int maximumAtOnce = kMostLinesAtOnce;
    int slots = kLyricEntryCount;
    // The timing file fills every slot, those the file leaves unused with windows that never
    // open, as the stock show reads all 87; a whole song's holds its entries alone.
    bool fillSlots = true;
};

// A whole song's fit: entries up to `musicEnd` (seconds of the show, after the move by
// `songStart`), in as many slots as a show with a scene list times.
ShowFit wholeSongFit(double musicEnd, double songStart = 0.0);

// Fits a parsed file to the show: the part of the song taken (entries before `songStart` left
// out, one warning counting them and naming the last, the rest moved earlier by it), entries
// that start at or after the scene's end left out (one warning counts them and names the
// first), lines whose word stamps would put more than `maximumAtOnce` entries on screen
// together grouped into fewer entries of whole words (a warning each), and more entries than
// slots an error naming the first too many.
void fitToShow(LyricParse& parse, std::string_view path, const ShowFit& fit = {});

// How many entries are up as each entry starts, itself included. The count only rises at a
// start, so the most entries up at once is the largest of these.
std::vector<int> entriesUpAtStarts(const std::vector<LyricEntry>& entries);

// The seconds `entry` shows inside a scene active from `sceneStart` to `sceneEnd`, and whether
// that is less than `needed`.
double secondsInside(const LyricEntry& entry, double sceneStart, double sceneEnd);
bool showsTooBriefly(const LyricEntry& entry, double sceneStart, double sceneEnd, double needed);

// "mm:ss", "mm:ss.x", "mm:ss.xx" or "mm:ss.xxx" as milliseconds, also with a colon before the
// fraction ("mm:ss:xx") as some editors write it; nothing when malformed.
std::optional<long long> parseLyricTime(std::string_view text);

// The user's text as a message quotes it: in single quotes unless `quoted` is false, cut to
// `mostCharacters` with an ellipsis, control characters and bytes that are not UTF-8 written as
// \xNN (\uNNNN for C1), so a message is never cut short by a NUL or overwritten by a CR.
std::string shownText(std::string_view text, std::size_t mostCharacters = kShownCharacters, bool quoted = true);

// A moment as messages show it: "1:50.00", or "0:01.005" when it needs the millisecond.
std::string formatLyricTime(long long milliseconds);
std::string formatLyricSeconds(double seconds);
