// A chain of font faces at one pixel size, each ready for shaping (a HarfBuzz font over its
// FreeType face, with FreeType's hinted advances as the lyric images have always had) and for
// rasterising. Outline faces are set to the size; a face of bitmaps only (Noto Color Emoji)
// takes its nearest bitmap size and is scaled to the line's. A font that cannot be used is
// named with the reason and left out of the chain.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;
struct hb_font_t;

struct FontProblem {
    std::string path;    // as given
    std::string reason;  // "no such file", "not a font file FreeType can read", …
    bool operator==(const FontProblem&) const = default;
};

class FontChain {
public:
    explicit FontChain(const std::vector<std::string>& paths);
    ~FontChain();
    FontChain(const FontChain&) = delete;
    FontChain& operator=(const FontChain&) = delete;

    // The fonts that could not be opened, in the order given; the rest form the chain.
    const std::vector<FontProblem>& problems() const { return openProblems; }
    std::size_t size() const { return faces.size(); }

    // Sets every face to `pixels`, which shaping and rasterising need first; the first face that
    // cannot take the size, if any.
    std::optional<FontProblem> setPixelSize(int pixels);
    int pixelSize() const { return pixels; }

    // A face's extent above and below the baseline at the size, in whole pixels.
    int ascent(std::size_t face = 0) const;
    int descent(std::size_t face = 0) const;

    const std::string& path(std::size_t face) const;
    bool hasCharacter(std::size_t face, char32_t codePoint) const;
    bool isColour(std::size_t face) const;  // its glyphs are colour bitmaps
    // What the face's own metrics are multiplied by: 1 for outlines, the line's size over the
    // bitmap size for bitmap faces.
    double scale(std::size_t face) const;
    hb_font_t* shapingFont(std::size_t face) const;
    FT_FaceRec_* freetypeFace(std::size_t face) const;
    int loadFlags(std::size_t face) const;

private:
    struct Face {
        std::string path;
        FT_FaceRec_* face = nullptr;
        hb_font_t* font = nullptr;
        bool bitmapsOnly = false;
        double scale = 1.0;
    };
    std::optional<std::string> open(const std::string& path);

    FT_LibraryRec_* library = nullptr;
    std::vector<Face> faces;
    std::vector<FontProblem> openProblems;
    int pixels = 0;
};
