// Coverage to outline (a disc dilation), shadow (two box blurs, offset) and fill, composed in
// premultiplied light and stored unpremultiplied as PNG expects.
#include "tools/lib/lyrics/LyricImage.h"

#include <algorithm>
#include <cmath>

#include "rules/LayoutHeader.h"

namespace {

struct Plane {
    Plane(int planeWidth, int planeHeight)
        : width(planeWidth), height(planeHeight), values(std::size_t(planeWidth) * planeHeight, 0.0f)
    {
    }
    float at(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : values[std::size_t(y) * width + x];
    }
    float& operator()(int x, int y) { return values[std::size_t(y) * width + x]; }

    int width;
    int height;
    std::vector<float> values;
};

// The anti-aliased coverage of a disc of `radius` swept over the fill.
Plane dilate(const Plane& fill, float radius)
{
    Plane out(fill.width, fill.height);
    int reach = int(std::ceil(radius + 0.5f));
    for (int y = 0; y < fill.height; ++y) {
        for (int x = 0; x < fill.width; ++x) {
            float best = 0.0f;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    float weight = std::clamp(radius + 0.5f - std::sqrt(float(dx * dx + dy * dy)), 0.0f, 1.0f);
                    best = std::max(best, fill.at(x + dx, y + dy) * weight);
                }
            }
            out(x, y) = best;
        }
    }
    return out;
}

Plane boxBlur(const Plane& in, int radius, bool horizontal)
{
    Plane out(in.width, in.height);
    float scale = 1.0f / float(2 * radius + 1);
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            float sum = 0.0f;
            for (int k = -radius; k <= radius; ++k)
                sum += horizontal ? in.at(x + k, y) : in.at(x, y + k);
            out(x, y) = sum * scale;
        }
    }
    return out;
}

Plane shifted(const Plane& in, int dx, int dy)
{
    Plane out(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            out(x, y) = in.at(x - dx, y - dy);
    return out;
}

uint8_t toByte(float value)
{
    return uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// The glyphs' coverage, and where colour glyphs lie their premultiplied colours over it.
struct GlyphPlanes {
    GlyphPlanes(int width, int height) : fill(width, height) {}
    Plane fill;
    std::vector<float> colour;  // RGBA premultiplied per pixel; empty without colour glyphs
};

GlyphPlanes paintGlyphs(const LineImage& line, std::size_t begin, std::size_t end, const EntryPlacement& placement)
{
    const PixelRect& rect = placement.rect;
    GlyphPlanes planes(rect.width(), rect.height());
    Plane& fill = planes.fill;
    for (const GlyphImage& glyph : line.glyphs) {
        if (glyph.byteBegin < begin || glyph.byteEnd > end)
            continue;
        int originX = placement.originX + glyph.left - rect.left;
        int originY = placement.baselineY + glyph.top - rect.top;
        if (!glyph.colour.empty() && planes.colour.empty())
            planes.colour.assign(fill.values.size() * 4, 0.0f);
        for (int y = 0; y < glyph.height; ++y) {
            for (int x = 0; x < glyph.width; ++x) {
                int px = originX + x;
                int py = originY + y;
                if (px < 0 || py < 0 || px >= fill.width || py >= fill.height)
                    continue;
                std::size_t source = std::size_t(y) * glyph.width + x;
                float coverage = glyph.coverage[source] / 255.0f;
                fill(px, py) = std::max(fill(px, py), coverage);
                if (glyph.colour.empty())
                    continue;
                float* target = &planes.colour[(std::size_t(py) * fill.width + px) * 4];
                float alpha = glyph.colour[source * 4 + 3] / 255.0f;
                for (int c = 0; c < 4; ++c)
                    target[c] = glyph.colour[source * 4 + c] / 255.0f + target[c] * (1.0f - alpha);
            }
        }
    }
    return planes;
}

}  // namespace

RgbaImage renderEntryImage(const LineImage& line, std::size_t begin, std::size_t end, const EntryPlacement& placement,
                           int capHeight, const ImageStyle& style)
{
    const PixelRect& rect = placement.rect;
    GlyphPlanes planes = paintGlyphs(line, begin, end, placement);
    const Plane& fill = planes.fill;

    Plane outline = dilate(fill, style.outlineRadius);
    Plane shadow = outline;
    for (int pass = 0; pass < 2; ++pass) {
        shadow = boxBlur(shadow, style.blurRadius, true);
        shadow = boxBlur(shadow, style.blurRadius, false);
    }
    shadow = shifted(shadow, style.shadowOffsetX, style.shadowOffsetY);

    RgbaImage image;
    image.width = rect.width();
    image.height = rect.height() + 1;
    image.pixels.assign(std::size_t(image.width) * image.height * 4, 0);
    writeLayoutHeader(image.pixels.data(), image.width, {rect.left, rect.top});

    for (int y = 0; y < fill.height; ++y) {
        // On a wrapped row each line has its own gradient: the one whose middle is nearest.
        int textLine = 0;
        if (placement.lineStep > 0)
            textLine = std::max(0, int(std::lround(double(rect.top + y - (placement.baselineY - capHeight / 2)) /
                                               placement.lineStep)));
        int capTop = placement.baselineY + textLine * placement.lineStep - capHeight;
        float along = std::clamp(float(rect.top + y - capTop) / float(std::max(capHeight, 1)), 0.0f, 1.0f);
        Colour fillColour{style.fillTop.red + (style.fillBottom.red - style.fillTop.red) * along,
                          style.fillTop.green + (style.fillBottom.green - style.fillTop.green) * along,
                          style.fillTop.blue + (style.fillBottom.blue - style.fillTop.blue) * along};
        for (int x = 0; x < fill.width; ++x) {
            // Premultiplied "over", back to front: shadow, outline, fill.
            float red = 0.0f, green = 0.0f, blue = 0.0f, alpha = 0.0f;
            auto over = [&](const Colour& colour, float layerAlpha) {
                red = colour.red * layerAlpha + red * (1.0f - layerAlpha);
                green = colour.green * layerAlpha + green * (1.0f - layerAlpha);
                blue = colour.blue * layerAlpha + blue * (1.0f - layerAlpha);
                alpha = layerAlpha + alpha * (1.0f - layerAlpha);
            };
            over(style.shadow, shadow.at(x, y) * style.shadowOpacity);
            over(style.outline, outline.at(x, y));
            over(fillColour, fill.at(x, y));
            if (!planes.colour.empty()) {
                // Colour glyphs, premultiplied, over the fill their coverage already lightened.
                const float* colour = &planes.colour[(std::size_t(y) * fill.width + x) * 4];
                red = colour[0] + red * (1.0f - colour[3]);
                green = colour[1] + green * (1.0f - colour[3]);
                blue = colour[2] + blue * (1.0f - colour[3]);
                alpha = colour[3] + alpha * (1.0f - colour[3]);
            }
            uint8_t* texel = &image.pixels[(std::size_t(y + 1) * image.width + x) * 4];
            uint8_t storedAlpha = toByte(alpha);
            if (storedAlpha == 0)
                continue;
            texel[0] = toByte(red / alpha);
            texel[1] = toByte(green / alpha);
            texel[2] = toByte(blue / alpha);
            texel[3] = storedAlpha;
        }
    }
    return image;
}
