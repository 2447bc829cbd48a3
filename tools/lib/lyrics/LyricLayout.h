// Where each lyric entry goes on screen and whether the schedule can be shown: rows take the
// lowest vertical slot free for their whole time, entries sit where their words fall in the
// row's centred phrase, and the checks name the file line of any entry that breaks a rule.
// Pure geometry: the glyph measurements come in from the renderer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/unicode/TextBoundaries.h"

// Reference-frame pixels (1920×1080, y down); right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool overlaps(const PixelRect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool operator==(const PixelRect&) const = default;
};

// A row's phrase as laid out by the renderer, relative to its pen origin on the baseline.
struct RowMeasure {
    int inkLeft = 0;  // the whole phrase's ink, for centring
    int inkRight = 0;
    std::vector<PixelRect> entryInk;  // one per entry of the row, in order
    int lines = 1;                    // a wrapped phrase takes a slot per line
};

struct LayoutStyle {
    int margin = 14;   // around the ink, for the outline and shadow
    int ascent = 60;   // the font's extent above and below the baseline
    int descent = 15;
    int slotGap = 6;   // between the margins of neighbouring slots
    int centreY = 560; // the slots' block is centred here
};

struct SceneRules {
    double sceneStart = kLyricsStart;  // the lyric scene is active strictly between these
    double sceneEnd = kLyricsEnd;
    double minimumSeconds = kShortestShowing;
    int maximumAtOnce = kMostLinesAtOnce;
};

struct EntryPlacement {
    PixelRect rect;  // the image's text area
    int originX = 0;  // the row's pen origin and its first line's baseline
    int baselineY = 0;
    int slot = 0;
    int lineStep = 0;  // from one line's baseline to the next in a wrapped row; 0 for one line
};

// The first slot of each row: the lowest from which as many slots as the row has lines
// (`lines`, one each when empty) have all seen their previous row end when this one starts.
std::vector<int> assignSlots(const std::vector<LyricRow>& rows, const std::vector<int>& lines = {});

// Where a wrapped phrase may be cut into lines: the line-break opportunities (UAX #14) at the
// start of an entry, so each entry stays whole on one line; and inside an entry wider than
// `widest` on its own, its own opportunities too, the cuts before and after it then mandatory so
// it has its lines to itself. `entries` are the entries' bytes in the phrase, in order;
// `width(begin, end)` measures a line.
std::vector<LineBreak> allowedRowBreaks(std::string_view phrase,
                                        const std::vector<std::pair<std::size_t, std::size_t>>& entries,
                                        const std::function<int(std::size_t, std::size_t)>& width, int widest);

std::vector<EntryPlacement> placeEntries(const LyricSheet& sheet, const std::vector<RowMeasure>& rows,
                                         const LayoutStyle& style);

// Every entry shows inside the scene long enough, and not too many at once.
std::vector<std::string> checkSchedule(const LyricSheet& sheet, std::string_view path, const SceneRules& rules = {});

// Every entry lies inside the frame and none covers another shown at the same moment.
std::vector<std::string> checkPlacements(const LyricSheet& sheet, const std::vector<EntryPlacement>& placements,
                                         std::string_view path);
