// A lyric file to the show's lyric data, with every problem of every stage in one report:
// reading the file, fitting it to the lyric scene and its slots, the schedule, the glyphs of
// the font chain and the layout. Then the timing file and one image per slot, the slots the
// file leaves unused filled with a blank image whose window never opens. Shared by
// sovane05-lyrics and sovane05-make.
//
//   LyricBuild build = buildLyrics(text, "song.lrc", {.fonts = {}, .strict = false});
//   for (const std::string& line : build.errors) report(line);
//   if (build.ok()) writeLyrics(build, "show/data");
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/lyrics/LyricLayout.h"
#include "tools/lib/lyrics/TextRaster.h"

struct LyricBuildOptions {
    std::vector<std::string> fonts;  // tried in order per character; empty: defaultFontChain()
    bool strict = false;             // every warning is an error
    ShowFit fit;                     // the stock show's lyric scene and 87 slots, or a whole song's
};

struct LyricBuild {
    ShowFit fit;  // what it was fitted to
    LyricSheet sheet;
    std::vector<std::string> errors;    // "<path>:<line>: <what>", all of them
    std::vector<std::string> warnings;  // what was changed to fit the show
    std::vector<GlyphRun> runs;         // one per row
    std::vector<int> capHeights;        // one per row, for the fill's gradient
    std::vector<EntryPlacement> placements;
    bool ok() const { return errors.empty(); }
};

// DejaVu Sans Bold, then the fonts for other scripts that are installed: DejaVu Sans for its
// wider coverage, Noto Sans CJK Bold for Chinese, Japanese and Korean.
std::vector<std::string> defaultFontChain();

LyricBuild buildLyrics(std::string_view text, std::string_view path, const LyricBuildOptions& options = {});

// Writes FOLDER/texttiming.txt and FOLDER/lyrics/000.png … 086.png of a build that is ok; for a
// fit that does not fill its slots, one image per entry, the first named highest (lineTextureName
// of the entry count). Returns what could not be written, naming the file.
std::optional<std::string> writeLyrics(const LyricBuild& build, const std::filesystem::path& folder);

// The number of timing pairs and images writeLyrics writes.
int writtenSlots(const LyricBuild& build);

// One line: "52 entries in 20 lines, 35 of 87 slots unused, 3 left out after the lyric scene,
// 2 warnings".
std::string summariseLyrics(const LyricBuild& build);

// A warning as printed: "<path>:<line>: warning: <what>".
std::string markedWarning(std::string_view warning, std::string_view path);
