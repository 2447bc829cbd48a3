// Shaped glyphs to pixels with FreeType: each glyph's anti-aliased coverage at its whole-pixel
// place on the line (y down from the baseline), and for colour glyphs their colours too, bitmap
// faces scaled from their bitmap size to the line's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/lib/glyphs/FontChain.h"
#include "tools/lib/glyphs/TextShaper.h"

struct GlyphImage {
    std::size_t byteBegin = 0;  // its cluster's bytes in the text
    std::size_t byteEnd = 0;
    int left = 0;  // relative to the line's pen origin on the baseline, y down
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width × height, rows top to bottom
    std::vector<uint8_t> colour;    // RGBA premultiplied, width × height × 4; empty unless a colour glyph
};

struct LineImage {
    std::vector<GlyphImage> glyphs;
    int advance = 0;  // whole pixels
    int ascent = 0;   // the largest of the faces the line uses, the first face's at least
    int descent = 0;
    std::vector<UncoveredCharacter> uncovered;
    std::string error;  // the text is not UTF-8, or FreeType cannot render a glyph
};

LineImage rasteriseLine(FontChain& fonts, const ShapedLine& line);

// Shapes and rasterises in one step.
LineImage drawLine(FontChain& fonts, std::string_view utf8);
