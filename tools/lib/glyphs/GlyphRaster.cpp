// FreeType's hinted rendering at whole-pixel pen positions, as the lyric images were always
// drawn, so outline text keeps its exact pixels; colour bitmaps are shrunk by area averaging.
#include "tools/lib/glyphs/GlyphRaster.h"

#include <algorithm>
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

int roundedPixels(long sixtyFourths)
{
    return int((sixtyFourths + 32) >> 6);
}

// Area-average resampling of `channels` interleaved planes along one axis.
std::vector<float> resampleAxis(const std::vector<float>& in, int width, int height, int channels, int newSize,
                                bool horizontal)
{
    int oldSize = horizontal ? width : height;
    int outWidth = horizontal ? newSize : width;
    int outHeight = horizontal ? height : newSize;
    std::vector<float> out(std::size_t(outWidth) * outHeight * channels, 0.0f);
    double step = double(oldSize) / newSize;
    for (int o = 0; o < newSize; ++o) {
        double from = o * step, to = (o + 1) * step;
        for (int s = int(from); s < oldSize && s < to; ++s) {
            float weight = float((std::min(to, s + 1.0) - std::max(from, double(s))) / step);
            int lines = horizontal ? height : width;
            for (int l = 0; l < lines; ++l) {
                std::size_t source = horizontal ? std::size_t(l) * width + s : std::size_t(s) * width + l;
                std::size_t target = horizontal ? std::size_t(l) * outWidth + o : std::size_t(o) * outWidth + l;
                for (int c = 0; c < channels; ++c)
                    out[target * channels + c] += in[source * channels + c] * weight;
            }
        }
    }
    return out;
}

// The slot's bitmap as RGBA premultiplied floats (grey and mono bitmaps as white); false for a
// pixel mode this does not know.
bool slotPixels(const FT_Bitmap& bitmap, std::vector<float>& rgba)
{
    int width = int(bitmap.width), height = int(bitmap.rows);
    rgba.assign(std::size_t(width) * height * 4, 0.0f);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            float* texel = &rgba[(std::size_t(y) * width + x) * 4];
            if (bitmap.pixel_mode == FT_PIXEL_MODE_BGRA) {
                texel[0] = row[x * 4 + 2] / 255.0f;
                texel[1] = row[x * 4 + 1] / 255.0f;
                texel[2] = row[x * 4 + 0] / 255.0f;
                texel[3] = row[x * 4 + 3] / 255.0f;
                continue;
            }
            float value = 0.0f;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                value = row[x] / 255.0f;
            else if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                value = (row[x / 8] >> (7 - x % 8) & 1) != 0 ? 1.0f : 0.0f;
            else
                return false;
            std::fill(texel, texel + 4, value);
        }
    }
    return true;
}

uint8_t toByte(float value)
{
    return uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// A glyph of a bitmap face: its pixels shrunk by the face's scale, placed by scaled bearings.
bool scaledGlyph(const FT_GlyphSlot slot, double scale, GlyphImage& glyph, int penX, int penY)
{
    std::vector<float> rgba;
    if (!slotPixels(slot->bitmap, rgba))
        return false;
    int width = int(slot->bitmap.width), height = int(slot->bitmap.rows);
    int newWidth = std::max(1, int(std::lround(width * scale)));
    int newHeight = std::max(1, int(std::lround(height * scale)));
    if (width > 0 && height > 0) {
        rgba = resampleAxis(rgba, width, height, 4, newWidth, true);
        rgba = resampleAxis(rgba, newWidth, height, 4, newHeight, false);
    } else {
        newWidth = newHeight = 0;
    }
    glyph.left = penX + int(std::lround(slot->bitmap_left * scale));
    glyph.top = -penY - int(std::lround(slot->bitmap_top * scale));
    glyph.width = newWidth;
    glyph.height = newHeight;
    glyph.coverage.resize(std::size_t(newWidth) * newHeight);
    bool colour = slot->bitmap.pixel_mode == FT_PIXEL_MODE_BGRA;
    if (colour)
        glyph.colour.resize(glyph.coverage.size() * 4);
    for (std::size_t i = 0; i < glyph.coverage.size(); ++i) {
        glyph.coverage[i] = toByte(rgba[i * 4 + 3]);
        for (int c = 0; c < 4 && colour; ++c)
            glyph.colour[i * 4 + c] = toByte(rgba[i * 4 + c]);
    }
    return true;
}

void outlineGlyph(const FT_GlyphSlot slot, GlyphImage& glyph, int penX, int penY)
{
    glyph.left = penX + slot->bitmap_left;
    glyph.top = -penY - slot->bitmap_top;
    glyph.width = int(slot->bitmap.width);
    glyph.height = int(slot->bitmap.rows);
    glyph.coverage.resize(std::size_t(glyph.width) * glyph.height);
    for (int y = 0; y < glyph.height; ++y) {
        const unsigned char* source = slot->bitmap.buffer + std::ptrdiff_t(y) * slot->bitmap.pitch;
        std::copy(source, source + glyph.width, glyph.coverage.begin() + std::ptrdiff_t(y) * glyph.width);
    }
}

}  // namespace

LineImage rasteriseLine(FontChain& fonts, const ShapedLine& line)
{
    LineImage image;
    image.uncovered = line.uncovered;
    image.error = line.error;
    image.advance = roundedPixels(line.advance);
    if (fonts.size() == 0)
        return image;
    image.ascent = fonts.ascent(0);
    image.descent = fonts.descent(0);
    for (std::size_t face : line.facesUsed) {
        image.ascent = std::max(image.ascent, fonts.ascent(face));
        image.descent = std::max(image.descent, fonts.descent(face));
    }
    for (const ShapedGlyph& shaped : line.glyphs) {
        FT_Face face = fonts.freetypeFace(shaped.face);
        if (FT_Load_Glyph(face, shaped.glyph, fonts.loadFlags(shaped.face)) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            image.error = fonts.path(shaped.face) + ": FreeType cannot render a glyph";
            return image;
        }
        GlyphImage glyph;
        glyph.byteBegin = shaped.byteBegin;
        glyph.byteEnd = shaped.byteEnd;
        int penX = roundedPixels(shaped.x), penY = roundedPixels(shaped.y);
        double scale = fonts.scale(shaped.face);
        bool outline = scale == 1.0 && face->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
        if (outline) {
            outlineGlyph(face->glyph, glyph, penX, penY);
        } else if (!scaledGlyph(face->glyph, scale, glyph, penX, penY)) {
            image.error = fonts.path(shaped.face) + ": a glyph in a pixel format the lyric images cannot draw";
            return image;
        }
        image.glyphs.push_back(std::move(glyph));
    }
    return image;
}

LineImage drawLine(FontChain& fonts, std::string_view utf8)
{
    return rasteriseLine(fonts, shapeLine(fonts, utf8));
}
