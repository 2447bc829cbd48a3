// A lyric file to the show's lyric data, with every problem of every stage in one report:
// decoding and reading the file, fitting it to the lyric scene and its slots, the schedule, the
// glyphs of the font chain and the layout. Then the timing file and one image per slot, the
// slots the file leaves unused filled with a blank image whose window never opens. Shared by
// sovane05-lyrics and sovane05-make.
//
//   LyricBuild build = buildLyrics(bytes, "song.lrc", {.fonts = {}, .strict = false});
//   for (const std::string& line : lyricReport(build, "song.lrc", false)) report(line);
//   if (build.ok()) writeLyrics(build, *drawLyricImages(build), "show/data", "show/data");
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/glyphs/GlyphRaster.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/lyrics/LyricImage.h"
#include "tools/lib/lyrics/LyricLayout.h"

struct LyricBuildOptions {
    std::vector<std::string> fonts;  // looked in first, in order, before the default chain
    bool onlyGivenFonts = false;     // the given fonts are the whole chain
    std::string encoding;            // the file's encoding (an iconv name); empty: as detected
    bool strict = false;             // every warning is an error
    ShowFit fit;                     // the stock show's lyric scene and 87 slots, or a whole song's
    // Asked between stages and rows; when it answers true the build stops where it is.
    std::function<bool()> stopRequested;
};

struct LyricBuild {
    ShowFit fit;  // what it was fitted to
    LyricSheet sheet;
    std::vector<std::string> errors;    // "<path>:<line>: <what>", all of them
    std::vector<std::string> warnings;  // what was changed to fit the show
    std::vector<LineImage> runs;        // one per row that holds a slot, its lines stacked
    std::vector<int> capHeights;        // one per such row, for the fill's gradient
    std::vector<int> rowLines;          // one per such row: the lines it is set in, more when wrapped
    std::vector<EntryPlacement> placements;  // one per entry that holds a slot
    bool stopped = false;                    // abandoned at the caller's request
    bool ok() const { return errors.empty() && !stopped; }
};

// The fonts a character is looked for in: the given ones, then (unless only they are wanted)
// DejaVu Sans Bold and the installed fonts of every other script (tools/lib/glyphs/FontPackages.h).
std::vector<std::string> lyricFontChain(const LyricBuildOptions& options);

// `bytes` is the file as read, in any encoding.
LyricBuild buildLyrics(std::string_view bytes, std::string_view path, const LyricBuildOptions& options = {});

// The image of every slot of a build that is ok, in slot order (writtenSlots of them); nothing
// when `stop` answers true while they are drawn.
std::optional<std::vector<RgbaImage>> drawLyricImages(const LyricBuild& build, const std::function<bool()>& stop = {});

// Writes FOLDER/texttiming.txt and FOLDER/lyrics/000.png … 086.png: the build's timing and its
// images; for a fit that does not fill its slots, one image per entry, the first named highest
// (lineTextureName of the entry count). FOLDER is made when missing. The images go into a folder
// beside FOLDER/lyrics that replaces it once all are written (other files in it are kept), the
// timing file in one step: on any failure the old ones stay as they were. Returns what could not
// be written, naming the file under `shownFolder` (the name the user gave FOLDER). `written`, when
// given, hears the count of images written after each one, for a progress line.
std::optional<std::string> writeLyrics(const LyricBuild& build, const std::vector<RgbaImage>& images,
                                       const std::filesystem::path& folder, const std::filesystem::path& shownFolder,
                                       const std::function<void(int)>& written = {});

// The number of timing pairs and images writeLyrics writes.
int writtenSlots(const LyricBuild& build);

// One line: "52 entries in 20 lines, 35 of 87 slots unused, 3 left out after the lyric scene,
// 2 warnings".
std::string summariseLyrics(const LyricBuild& build);

// The closing line of a build that failed: "3 errors, 1 warning: nothing made".
std::string failureSummary(const LyricBuild& build, bool strict);

// What a tool prints of the build, in order: the warnings (none under --strict, which made them
// errors) marked as such, then the errors, each kind cut to a screenful and the rest counted.
std::vector<std::string> lyricReport(const LyricBuild& build, std::string_view path, bool strict);

// A warning as printed: "<path>:<line>: warning: <what>".
std::string markedWarning(std::string_view warning, std::string_view path);
