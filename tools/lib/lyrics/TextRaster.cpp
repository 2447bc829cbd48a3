// FreeType face handling and glyph runs with kerning, per character from the first face of the
// chain that has it.
#include "tools/lib/lyrics/TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

#include "rules/InputFile.h"
#include "tools/lib/base/Utf8.h"

namespace {

int roundedPixels(FT_Pos sixtyFourths)
{
    return int((sixtyFourths + 32) >> 6);
}

}  // namespace

Font::Font(const std::vector<std::string>& paths, std::string& error)
{
    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        error = "cannot start FreeType";
        return;
    }
    for (const std::string& path : paths) {
        FT_Face face = nullptr;
        // FreeType would wait on a FIFO for ever.
        if (InputCheck check = checkInputFile(path.c_str()); !check.failure.empty()) {
            error = path + ": cannot open the font: " + check.failure;
            return;
        }
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            error = path + ": cannot open the font";
            return;
        }
        faces.push_back(face);
    }
    if (faces.empty())
        error = "no font given";
}

Font::Font(const std::string& path, std::string& error) : Font(std::vector<std::string>{path}, error) {}

Font::~Font()
{
    for (FT_Face face : faces)
        FT_Done_Face(face);
    if (library != nullptr)
        FT_Done_FreeType(library);
}

bool Font::setPixelSize(int size)
{
    if (faces.empty())
        return false;
    for (FT_Face face : faces)
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
            return false;
    pixels = size;
    return true;
}

int Font::ascent() const
{
    return roundedPixels(faces.front()->size->metrics.ascender);
}

int Font::descent() const
{
    return -roundedPixels(faces.front()->size->metrics.descender);
}

GlyphRun Font::layout(std::string_view utf8)
{
    GlyphRun run;
    run.ascent = ascent();
    run.descent = descent();
    std::optional<std::vector<CodePoint>> points = decodeUtf8(utf8);
    if (!points) {
        run.error = "the text is not valid UTF-8";
        return run;
    }
    FT_Face previousFace = nullptr;
    FT_UInt previous = 0;
    FT_Pos pen = 0;  // 26.6, so kerning and advances add up without drifting
    for (const CodePoint& point : *points) {
        FT_Face face = nullptr;
        FT_UInt index = 0;
        for (FT_Face candidate : faces) {
            index = FT_Get_Char_Index(candidate, point.value);
            if (index != 0) {
                face = candidate;
                break;
            }
        }
        if (face == nullptr) {
            bool known = std::any_of(run.missing.begin(), run.missing.end(),
                                     [&](const MissingCharacter& m) { return m.codePoint == point.value; });
            if (!known)
                run.missing.push_back({point.value, std::string(utf8.substr(point.begin, point.end - point.begin))});
            previous = 0;
            continue;
        }
        if (face != faces.front()) {
            run.ascent = std::max(run.ascent, roundedPixels(face->size->metrics.ascender));
            run.descent = std::max(run.descent, -roundedPixels(face->size->metrics.descender));
        }
        // Kerning pairs only mean something inside one face.
        if (previous != 0 && face == previousFace && FT_HAS_KERNING(face)) {
            FT_Vector kerning{0, 0};
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning);
            pen += kerning.x;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            run.error = "FreeType cannot render a glyph";
            return run;
        }
        const FT_GlyphSlot slot = face->glyph;
        PlacedGlyph glyph;
        glyph.byteBegin = point.begin;
        glyph.byteEnd = point.end;
        glyph.left = roundedPixels(pen) + slot->bitmap_left;
        glyph.top = -slot->bitmap_top;
        glyph.width = int(slot->bitmap.width);
        glyph.height = int(slot->bitmap.rows);
        glyph.coverage.resize(std::size_t(glyph.width) * glyph.height);
        for (int y = 0; y < glyph.height; ++y) {
            const unsigned char* source = slot->bitmap.buffer + std::ptrdiff_t(y) * slot->bitmap.pitch;
            std::copy(source, source + glyph.width, glyph.coverage.begin() + std::ptrdiff_t(y) * glyph.width);
        }
        pen += slot->advance.x;
        previous = index;
        previousFace = face;
        run.glyphs.push_back(std::move(glyph));
    }
    run.advance = roundedPixels(pen);
    return run;
}

PixelRect inkBox(const GlyphRun& run, std::size_t begin, std::size_t end)
{
    PixelRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    std::optional<int> firstPen;
    for (const PlacedGlyph& glyph : run.glyphs) {
        if (glyph.byteBegin < begin || glyph.byteEnd > end)
            continue;
        if (!firstPen)
            firstPen = glyph.left;
        if (glyph.width == 0 || glyph.height == 0)
            continue;
        box.left = std::min(box.left, glyph.left);
        box.top = std::min(box.top, glyph.top);
        box.right = std::max(box.right, glyph.left + glyph.width);
        box.bottom = std::max(box.bottom, glyph.top + glyph.height);
    }
    if (box.left == INT_MAX)
        return {firstPen.value_or(0), 0, firstPen.value_or(0), 0};
    return box;
}
