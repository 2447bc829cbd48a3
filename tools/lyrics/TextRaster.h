// Text through FreeType: a font face at a pixel size, a phrase laid out as a run of glyph
// coverage bitmaps on one baseline, and the ink boxes the layout needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lyrics/LyricLayout.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

// One glyph of a run: its anti-aliased coverage, placed relative to the run's pen origin on
// the baseline (y down), and the bytes of the phrase it came from.
struct PlacedGlyph {
    std::size_t byteBegin = 0;
    std::size_t byteEnd = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width × height, rows top to bottom
};

struct GlyphRun {
    std::vector<PlacedGlyph> glyphs;
    int advance = 0;
    std::string error;  // set when the text is not UTF-8 or the font lacks a character
};

class Font {
public:
    // Opens the face; `error` says why when the returned font is not usable.
    Font(const std::string& path, std::string& error);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool setPixelSize(int pixels);
    int pixelSize() const { return pixels; }
    int ascent() const;
    int descent() const;

    GlyphRun layout(std::string_view utf8);

private:
    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* face = nullptr;
    int pixels = 0;
};

// The ink box of the glyphs whose bytes lie in [begin, end), relative to the pen origin; a
// zero-size box at the first glyph's pen position when they leave no ink.
PixelRect inkBox(const GlyphRun& run, std::size_t begin, std::size_t end);
