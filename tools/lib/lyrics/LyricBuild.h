// A lyric file to the show's lyric data, with every problem of every stage in one report:
// reading the file, fitting it to the lyric scene and its slots, the schedule, the glyphs of
// the font chain and the layout. Then the timing file and one image per slot, the slots the
// file leaves unused filled with a blank image whose window never opens. Shared by
// sovane05-lyrics and sovane05-make.
//
//   LyricBuild build = buildLyrics(text, "song.lrc", {.fonts = {}, .strict = false});
//   for (const std::string& line : build.errors) report(line);
//   if (build.ok()) writeLyrics(build, "show/data", "show/data");
#pragma once

#include <filesystem>
#include <functional>
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
};

struct LyricBuild {
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

// Writes FOLDER/texttiming.txt and FOLDER/lyrics/000.png … 086.png of a build that is ok, making
// FOLDER when missing. The images go into a folder beside FOLDER/lyrics that replaces it once
// all are written (other files in it are kept), the timing file in one step: on any failure or
// stop, the old ones stay as they were. Returns what could not be written, naming the file
// under `shownFolder` (the name the user gave FOLDER), or "" when `stopRequested` said yes.
std::optional<std::string> writeLyrics(const LyricBuild& build, const std::filesystem::path& folder,
                                       const std::filesystem::path& shownFolder,
                                       const std::function<bool()>& stopRequested = {});

// One line: "52 entries in 20 lines, 35 of 87 slots unused, 3 left out, 2 warnings".
std::string summariseLyrics(const LyricBuild& build);

// A warning as printed: "<path>:<line>: warning: <what>".
std::string markedWarning(std::string_view warning, std::string_view path);
