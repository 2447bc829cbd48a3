// One line of text to positioned glyphs: the bidirectional algorithm (FriBiDi) orders the runs,
// HarfBuzz shapes each run of one direction, script and font (Arabic joins, Indic conjuncts,
// marks), and every grapheme cluster takes the first font of the chain that has all of its
// characters, so a cluster is never split across fonts. Spaces and punctuation keep the font of
// the text around them; an emoji presentation selector (U+FE0F) prefers a colour font.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/glyphs/FontChain.h"

struct ShapedGlyph {
    std::size_t face = 0;  // in the chain
    unsigned glyph = 0;    // the face's glyph index
    // The bytes of the text its cluster covers; glyphs of one cluster share them.
    std::size_t byteBegin = 0;
    std::size_t byteEnd = 0;
    // Pen position plus the glyph's offset from the line's origin, and its advance, in 1/64
    // pixel, x right and y up, bitmap faces already scaled.
    int x = 0;
    int y = 0;
    int advance = 0;
};

// A character in the text that no face of the chain has; it takes no room in the line.
struct UncoveredCharacter {
    char32_t codePoint = 0;
    std::string text;  // its UTF-8 bytes
};

struct ShapedLine {
    std::vector<ShapedGlyph> glyphs;  // left to right as drawn
    int advance = 0;                  // 1/64 pixel
    bool rightToLeft = false;         // the paragraph's direction, from its first strong character
    std::vector<std::size_t> facesUsed;
    std::vector<UncoveredCharacter> uncovered;  // each once, in the order of the text
    std::string error;                          // set when the text is not UTF-8
};

// The line set in the chain's faces, each run in its own direction and script.
ShapedLine shapeLine(const FontChain& fonts, std::string_view utf8);

// The characters of the text that no face of the chain has, each once, without shaping it.
std::vector<UncoveredCharacter> uncoveredCharacters(const FontChain& fonts, std::string_view utf8);
