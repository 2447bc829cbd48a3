// One lyric entry as the show's texture: its glyphs in a light fill (colour glyphs in their own
// colours) over a dark outline and a soft drop shadow, so it reads over any background, on
// transparency, below the header row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/lib/glyphs/GlyphRaster.h"
#include "tools/lib/lyrics/LyricLayout.h"

struct Colour {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

struct ImageStyle {
    float outlineRadius = 3.0f;
    int shadowOffsetX = 3;
    int shadowOffsetY = 4;
    int blurRadius = 3;  // of each of the two box blurs that soften the shadow
    float shadowOpacity = 0.6f;
    Colour fillTop{1.0f, 1.0f, 1.0f};
    Colour fillBottom{1.0f, 0.86f, 0.94f};
    Colour outline{0.09f, 0.05f, 0.19f};
    Colour shadow{0.03f, 0.01f, 0.08f};
};

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // rows top to bottom
};

// The image of the glyphs of `line` whose bytes lie in [begin, end), clipped to the placement's
// rectangle, with the header row on top. `capHeight` spans the fill's gradient, on each line of
// a wrapped row.
RgbaImage renderEntryImage(const LineImage& line, std::size_t begin, std::size_t end, const EntryPlacement& placement,
                           int capHeight, const ImageStyle& style = {});
