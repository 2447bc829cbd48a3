// A row's phrase in glyphs: at the lyric size; set smaller when a little too wide for the screen,
// as the stock lyrics are; wrapped at the places a line may break when it would have to be set
// so small it no longer reads, each entry whole on one line unless it alone is too wide.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/lib/glyphs/FontChain.h"
#include "tools/lib/glyphs/GlyphRaster.h"
#include "tools/lib/lyrics/LyricLayout.h"

inline constexpr int kLyricPixels = 64;
// A phrase wider than this (ink and margins) is set smaller or wrapped.
inline constexpr int kWidestRow = 1800;
// It is set smaller down to this size; one that needs smaller is wrapped at the lyric size.
inline constexpr int kSmallestPixels = 40;

struct RowText {
    // One image per line, top to bottom, the glyphs' bytes those of the whole phrase; a wrapped
    // row's lines each centred on x = 0, each on its own baseline at y = 0.
    std::vector<LineImage> lines;
    int pixels = kLyricPixels;
    int ascent = 0;  // the largest of its lines'
    int descent = 0;
    std::vector<UncoveredCharacter> uncovered;
    std::string error;  // the first line's error, naming the font where one is at fault
};

// `entries` are the bytes of each entry in the phrase, in order. The chain is left at the
// lyric size.
RowText setRowText(FontChain& fonts, std::string_view phrase, const std::vector<std::pair<std::size_t, std::size_t>>& entries,
                   int margin);

// The row's lines as one image, each line `pitch` pixels below the one before, the first line's
// baseline at y = 0.
LineImage stackLines(const RowText& row, int pitch);

// The ink box of the glyphs whose bytes lie in [begin, end), relative to the line's origin; a
// zero-size box at the first such glyph's place when they leave no ink.
PixelRect inkBox(const LineImage& line, std::size_t begin, std::size_t end);
