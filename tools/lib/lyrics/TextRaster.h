// Text through FreeType: a chain of font faces at one pixel size, each character taken from the
// first face that has it, a phrase laid out as a run of glyph coverage bitmaps on one baseline,
// and the ink boxes the layout needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/lyrics/LyricLayout.h"

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

// A character no face of the chain has; it takes no room in the run.
struct MissingCharacter {
    char32_t codePoint = 0;
    std::string text;  // its UTF-8 bytes
};

struct GlyphRun {
    std::vector<PlacedGlyph> glyphs;
    int advance = 0;
    int ascent = 0;   // the largest of the faces the run uses, the first face's at least
    int descent = 0;
    std::vector<MissingCharacter> missing;  // each once, in order of appearance
    std::string error;  // set when the text is not UTF-8 or FreeType fails
};

class Font {
public:
    // Opens the faces in order; `error` names the first that cannot be opened ("PATH: cannot
    // open the font") when the returned font is not usable.
    Font(const std::vector<std::string>& paths, std::string& error);
    Font(const std::string& path, std::string& error);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool setPixelSize(int pixels);
    int pixelSize() const { return pixels; }
    // The first face's extent above and below the baseline.
    int ascent() const;
    int descent() const;

    GlyphRun layout(std::string_view utf8);

private:
    FT_LibraryRec_* library = nullptr;
    std::vector<FT_FaceRec_*> faces;
    int pixels = 0;
};

// The ink box of the glyphs whose bytes lie in [begin, end), relative to the pen origin; a
// zero-size box at the first glyph's pen position when they leave no ink.
PixelRect inkBox(const GlyphRun& run, std::size_t begin, std::size_t end);
