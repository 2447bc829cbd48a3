// The landscape is layered back to front (sky, sun, clouds, far and near hills, the house,
// the fields, the river), each edge anti-aliased over one pixel; the prints are rounded
// rectangles placed with a rotation and composed in premultiplied light. A user's picture is
// first reduced by whole steps near its printed size, then sampled bilinearly, so a large
// photo neither aliases nor blurs.
#include "tools/lib/photo/PhotoComposition.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

Rgb mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scaled(Rgb a, float k)
{
    return {a.r * k, a.g * k, a.b * k};
}

Rgb added(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

float smoothstep(float edge0, float edge1, float x)
{
    float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

uint32_t hash(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float valueNoise(float x, float y, uint32_t seed)
{
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = int(fx);
    int iy = int(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    auto at = [&](int dx, int dy) { return float(hash(ix + dx, iy + dy, seed) & 0xFFFFFF) / float(0xFFFFFF); };
    float top = at(0, 0) + (at(1, 0) - at(0, 0)) * tx;
    float bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * valueNoise(x, y, seed + uint32_t(octave));
        x = x * 2.03f + 17.0f;
        y = y * 2.03f + 5.0f;
        amplitude *= 0.5f;
    }
    return sum / 0.9375f;
}

// 1 above the edge line, 0 below it, blended over one pixel.
float below(float v, float edge, float pixel)
{
    return smoothstep(-pixel, pixel, v - edge);
}

constexpr float kHorizon = 0.58f;

float farHills(float u)
{
    return kHorizon - 0.07f - 0.07f * fbm(u * 3.0f, 1.5f, 5);
}

float nearHills(float u)
{
    return kHorizon - 0.012f - 0.05f * fbm(u * 5.0f + 2.0f, 3.5f, 7);
}

// Signed distance to a rectangle of half-size (hx, hy) with corners rounded by `round`.
float roundedBox(float x, float y, float hx, float hy, float round)
{
    float qx = std::fabs(x) - hx + round;
    float qy = std::fabs(y) - hy + round;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - round;
}

// A picture reduced near its printed size, premultiplied, for bilinear sampling.
class PictureSampler {
public:
    PictureSampler(const Picture& picture, float printedWidth)
    {
        // A square block of step × step pixels becomes one texel. A picture much wider than high
        // (8000×1) would ask for blocks taller than itself, whose rows do not exist.
        int step = std::max(1, int(float(picture.width) / std::max(printedWidth, 1.0f)));
        step = std::min(step, std::min(picture.width, picture.height));
        width = std::max(1, picture.width / step);
        height = std::max(1, picture.height / step);
        texels.assign(std::size_t(width) * height * 4, 0.0f);
        float share = 1.0f / float(step * step * 255);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                float* texel = &texels[(std::size_t(y) * width + x) * 4];
                for (int dy = 0; dy < step; ++dy) {
                    for (int dx = 0; dx < step; ++dx) {
                        const uint8_t* source =
                            &picture.pixels[(std::size_t(y * step + dy) * picture.width + x * step + dx) * 4];
                        float alpha = source[3] / 255.0f;
                        for (int c = 0; c < 3; ++c)
                            texel[c] += source[c] * alpha * share;
                        texel[3] += source[3] * share;
                    }
                }
            }
        }
    }

    // Premultiplied RGBA at (u, v) in 0…1 across the picture.
    void sample(float u, float v, float rgba[4]) const
    {
        float x = std::clamp(u * float(width) - 0.5f, 0.0f, float(width - 1));
        float y = std::clamp(v * float(height) - 0.5f, 0.0f, float(height - 1));
        int x0 = int(x);
        int y0 = int(y);
        int x1 = std::min(x0 + 1, width - 1);
        int y1 = std::min(y0 + 1, height - 1);
        float tx = x - float(x0);
        float ty = y - float(y0);
        auto at = [&](int px, int py, int c) { return texels[(std::size_t(py) * width + px) * 4 + c]; };
        for (int c = 0; c < 4; ++c) {
            float top = at(x0, y0, c) + (at(x1, y0, c) - at(x0, y0, c)) * tx;
            float bottom = at(x0, y1, c) + (at(x1, y1, c) - at(x0, y1, c)) * tx;
            rgba[c] = top + (bottom - top) * ty;
        }
    }

private:
    int width = 0;
    int height = 0;
    std::vector<float> texels;
};

struct Print {
    PrintLayout layout;
    Landscape landscape;                    // drawn when there is no picture
    const PictureSampler* picture = nullptr;
};

struct Layer {
    Rgb colour;
    float alpha = 0.0f;
};

constexpr Rgb kShadow{0.04f, 0.03f, 0.08f};

// Where a print lies in the 1920×1080 frame: its centre, the box its picture fills, its tilt.
struct PrintPlace {
    float centreX;
    float centreY;
    float boxWidth;
    float boxHeight;
    float degrees;
};

// One print across the middle; two as the stock pair, the first behind, tilted the other way.
constexpr PrintPlace kSinglePlace{960.0f, 540.0f, 1240.0f, 760.0f, -2.5f};
constexpr PrintPlace kPairPlaces[2] = {{540.0f, 380.0f, 600.0f, 400.0f, 6.5f}, {1070.0f, 560.0f, 1000.0f, 667.0f, -2.5f}};

// The landscape's light for one print: the sky overhead, at the horizon and from the sun.
struct Light {
    float dusk = 0.0f;
    Rgb zenith;
    Rgb horizon;
    Rgb sun;
};

constexpr float kSunX = 0.70f;

// Sky, with the sun low on the right and soft streaks of cloud lit from below.
Rgb sky(const Light& light, float u, float v, float pixel)
{
    float height = std::clamp(v / kHorizon, 0.0f, 1.0f);
    Rgb colour = mix(light.zenith, light.horizon, std::pow(height, 1.6f));
    float sunY = 0.44f + 0.10f * light.dusk;
    float sunDistance = std::hypot((u - kSunX) * 1.5f, v - sunY);
    colour = added(colour, scaled(light.sun, 0.45f * std::exp(-sunDistance * 9.0f) + 0.2f * std::exp(-sunDistance * 2.5f)));
    float cloud = smoothstep(0.52f, 0.78f, fbm(u * 3.5f, v * 13.0f, 3)) * (1.0f - 0.7f * height);
    colour = mix(colour, mix({1.0f, 0.88f, 0.74f}, {0.92f, 0.50f, 0.48f}, light.dusk), cloud * 0.55f);
    float sunRadius = 0.035f;
    return mix(colour, {1.0f, 0.97f, 0.86f}, smoothstep(sunRadius + pixel, sunRadius - pixel, sunDistance));
}

// Far hills in the haze, then nearer green ones.
Rgb withHills(Rgb colour, const Light& light, float u, float v, float pixel)
{
    float far = farHills(u);
    Rgb haze = mix(mix(light.horizon, {0.42f, 0.44f, 0.64f}, 0.6f), {0.36f, 0.26f, 0.46f}, light.dusk);
    colour = mix(colour, mix(haze, scaled(haze, 0.85f), smoothstep(far, kHorizon, v)), below(v, far, pixel));
    float near = nearHills(u);
    Rgb hill = mix({0.40f, 0.48f, 0.30f}, {0.24f, 0.22f, 0.26f}, light.dusk);
    return mix(colour, mix(added(hill, scaled(light.sun, 0.12f)), hill, smoothstep(near, kHorizon, v)),
               below(v, near, pixel));
}

// The house on the near hill: walls, roof, and two yellow windows that glow more at dusk.
Rgb withHouse(Rgb colour, float dusk, float u, float v, float pixel)
{
    const float houseX = 0.22f;
    float ground = nearHills(houseX) + 0.006f;
    float wallTop = ground - 0.030f;
    Rgb wall = mix({0.55f, 0.38f, 0.30f}, {0.20f, 0.14f, 0.16f}, dusk);
    float walls = std::min(smoothstep(-pixel, pixel, 0.022f - std::fabs(u - houseX)),
                           std::min(below(v, wallTop, pixel), 1.0f - below(v, ground, pixel)));
    colour = mix(colour, wall, walls);
    float roofTip = wallTop - 0.022f;
    float roofHalf = 0.028f * (v - roofTip) / (wallTop - roofTip);
    float roof = std::min(smoothstep(-pixel, pixel, roofHalf - std::fabs(u - houseX)),
                          std::min(below(v, roofTip, pixel), 1.0f - below(v, wallTop, pixel)));
    colour = mix(colour, mix({0.45f, 0.18f, 0.14f}, {0.16f, 0.08f, 0.10f}, dusk), roof);
    Rgb windowLight{1.0f, 0.84f, 0.30f};
    for (float windowX : {houseX - 0.010f, houseX + 0.010f}) {
        float dx = std::fabs(u - windowX);
        float dy = std::fabs(v - (wallTop + 0.013f));
        float pane = std::min(smoothstep(-pixel, pixel, 0.005f - dx), smoothstep(-pixel, pixel, 0.007f - dy));
        colour = mix(colour, windowLight, pane);
        colour = added(colour, scaled(windowLight, (0.05f + 0.25f * dusk) * std::exp(-std::hypot(dx * 1.5f, dy) * 60.0f)));
    }
    return colour;
}

// Golden fields, their furrows running to the vanishing point (stripes fade out towards the
// horizon, where they would be finer than a pixel); then the river, widening as it comes
// nearer and mirroring the sky, with the sun's glitter.
Rgb withFieldsAndRiver(Rgb colour, const Light& light, float u, float v, float pixel)
{
    float fieldEdge = kHorizon + 0.004f * std::sin(u * 6.0f);
    float depth = std::max(v - kHorizon, 0.0f);
    float furrow = 0.5f + 0.5f * std::sin((u - 0.5f) / std::max(depth, 0.004f) * 2.2f);
    float furrowStrength = smoothstep(0.02f, 0.15f, depth);
    Rgb wheat = mix(mix({0.95f, 0.76f, 0.34f}, {0.80f, 0.54f, 0.22f}, furrow * 0.6f * furrowStrength),
                    {0.42f, 0.26f, 0.22f}, light.dusk * 0.7f);
    wheat = added(wheat, scaled(light.sun, 0.18f * std::exp(-std::hypot((u - kSunX) * 1.2f, depth) * 4.0f)));
    colour = mix(colour, wheat, below(v, fieldEdge, pixel));

    float riverX = 0.40f + 0.18f * std::sin(depth * 10.0f + 0.6f) * depth * 2.2f;
    float halfWidth = 0.002f + 0.11f * depth;
    float bank = std::fabs(u - riverX) - halfWidth;
    float reach = below(v, kHorizon + 0.006f, pixel);
    Rgb grass = mix({0.33f, 0.44f, 0.22f}, {0.18f, 0.18f, 0.20f}, light.dusk);
    colour = mix(colour, grass, reach * smoothstep(pixel, -pixel, bank - 0.004f - 0.03f * depth));
    Rgb water = mix(light.horizon, light.zenith, std::clamp(depth * 2.5f, 0.0f, 1.0f));
    water = added(scaled(water, 0.9f), scaled(light.sun, 0.35f * std::exp(-std::fabs(u - kSunX) * 10.0f)));
    return mix(colour, water, reach * smoothstep(pixel, -pixel, bank));
}

}  // namespace

void landscapeColour(const Landscape& landscape, float u, float v, float pixel, float rgb[3])
{
    Light light;
    light.dusk = landscape.dusk;
    light.zenith = mix({0.20f, 0.38f, 0.70f}, {0.10f, 0.10f, 0.30f}, light.dusk);
    light.horizon = mix({1.0f, 0.80f, 0.46f}, {0.98f, 0.46f, 0.30f}, light.dusk);
    light.sun = mix({1.0f, 0.86f, 0.55f}, {1.0f, 0.55f, 0.35f}, light.dusk);
    Rgb colour = sky(light, u, v, pixel);
    colour = withHills(colour, light, u, v, pixel);
    colour = withHouse(colour, light.dusk, u, v, pixel);
    colour = withFieldsAndRiver(colour, light, u, v, pixel);

    // A gentle vignette inside the print, as old film has.
    float corner = (u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f);
    colour = scaled(colour, 1.0f - 0.45f * corner);
    rgb[0] = colour.r;
    rgb[1] = colour.g;
    rgb[2] = colour.b;
}

namespace {

// One print over `result` at (px, py) of the reference frame: its shadow, its paper, its
// picture or landscape.
void drawPrint(const Print& entry, float px, float py, float pixel, Layer& result)
{
    auto over = [&](Rgb colour, float alpha) {
        result.colour = added(scaled(colour, alpha), scaled(result.colour, 1.0f - alpha));
        result.alpha = alpha + result.alpha * (1.0f - alpha);
    };
    const PrintLayout& print = entry.layout;
    float angle = print.degrees * 3.14159265f / 180.0f;
    float dx = px - print.centreX;
    float dy = py - print.centreY;
    float lx = dx * std::cos(angle) + dy * std::sin(angle);
    float ly = -dx * std::sin(angle) + dy * std::cos(angle);
    float halfWidth = print.pictureWidth * 0.5f + print.border;
    float halfHeight = (print.pictureHeight + print.border + print.bottomBorder) * 0.5f;

    float shadowDistance = roundedBox(lx - 10.0f, ly - 16.0f, halfWidth, halfHeight, 6.0f);
    float shadow = 0.5f * std::pow(std::clamp(1.0f - (shadowDistance + 4.0f) / 40.0f, 0.0f, 1.0f), 2.0f);
    over(kShadow, shadow);

    float paperDistance = roundedBox(lx, ly, halfWidth, halfHeight, 4.0f);
    float paper = std::clamp(0.5f - paperDistance / pixel, 0.0f, 1.0f);
    if (paper <= 0.0f)
        return;
    // The picture sits higher on the paper, whose bottom edge is wider.
    float pictureCentreY = (print.border - print.bottomBorder) * 0.5f;
    float pictureDistance =
        roundedBox(lx, ly - pictureCentreY, print.pictureWidth * 0.5f, print.pictureHeight * 0.5f, 0.0f);
    float picture = std::clamp(0.5f - pictureDistance / pixel, 0.0f, 1.0f);
    Rgb paperColour = mix({0.97f, 0.95f, 0.90f}, {0.90f, 0.87f, 0.80f},
                          std::clamp((ly + halfHeight) / (2.0f * halfHeight), 0.0f, 1.0f));
    Rgb surface = paperColour;
    if (picture > 0.0f) {
        float u = lx / print.pictureWidth + 0.5f;
        float v = (ly - pictureCentreY) / print.pictureHeight + 0.5f;
        Rgb shown;
        if (entry.picture != nullptr) {
            float rgba[4];
            entry.picture->sample(u, v, rgba);
            shown = added({rgba[0], rgba[1], rgba[2]}, scaled(paperColour, 1.0f - rgba[3]));
        } else {
            float rgb[3];
            landscapeColour(entry.landscape, u, v, pixel / print.pictureWidth, rgb);
            shown = {rgb[0], rgb[1], rgb[2]};
        }
        surface = mix(paperColour, shown, picture);
    }
    over(surface, paper);
}

// Straight RGBA bytes of a premultiplied layer. Transparent texels keep the shadow's colour,
// so filtering at other scales draws no bright fringe around the prints.
void storeTexel(const Layer& layer, uint8_t* texel)
{
    auto toByte = [](float value) { return uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); };
    uint8_t alpha = toByte(layer.alpha);
    Rgb straight = alpha == 0 ? kShadow : scaled(layer.colour, 1.0f / layer.alpha);
    texel[0] = toByte(straight.r);
    texel[1] = toByte(straight.g);
    texel[2] = toByte(straight.b);
    texel[3] = alpha;
}

PhotoImage composePrints(int width, int height, const std::vector<Print>& prints)
{
    // Laid out in the 1920×1080 frame and scaled to the image's height, centred across.
    const float scale = float(height) / 1080.0f;
    const float across = (float(width) - 1920.0f * scale) * 0.5f;

    PhotoImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float px = (float(x) + 0.5f - across) / scale;
            float py = (float(y) + 0.5f) / scale;
            float pixel = 1.0f / scale;  // one output pixel in reference units
            Layer result;
            for (const Print& entry : prints)
                drawPrint(entry, px, py, pixel, result);
            storeTexel(result, &image.pixels[(std::size_t(y) * width + x) * 4]);
        }
    }
    return image;
}

// The picture as large as fits `boxWidth` × `boxHeight` with its own aspect ratio, the paper's
// borders in proportion to its longer side as on the stock prints.
PrintLayout fitted(const PrintPlace& place, double aspect)
{
    PrintLayout print;
    print.centreX = place.centreX;
    print.centreY = place.centreY;
    print.pictureWidth = std::min(place.boxWidth, place.boxHeight * float(aspect));
    print.pictureHeight = print.pictureWidth / float(aspect);
    float longer = std::max(print.pictureWidth, print.pictureHeight);
    print.border = std::round(0.034f * longer);
    print.bottomBorder = std::round(0.118f * longer);
    print.degrees = place.degrees;
    return print;
}

}  // namespace

std::array<std::array<double, 2>, 4> paperCorners(const PrintLayout& print)
{
    double angle = print.degrees * std::numbers::pi / 180.0;
    double halfWidth = print.pictureWidth / 2.0 + print.border;
    double halfHeight = (print.pictureHeight + print.border + print.bottomBorder) / 2.0;
    std::array<std::array<double, 2>, 4> corners;
    std::size_t corner = 0;
    for (double sx : {-1.0, 1.0}) {
        for (double sy : {-1.0, 1.0}) {
            double x = sx * halfWidth * std::cos(angle) - sy * halfHeight * std::sin(angle);
            double y = sx * halfWidth * std::sin(angle) + sy * halfHeight * std::cos(angle);
            corners[corner++] = {print.centreX + x, print.centreY + y};
        }
    }
    return corners;
}

std::vector<PrintLayout> layoutPrints(const std::vector<double>& aspects)
{
    if (aspects.size() == 1)
        return {fitted(kSinglePlace, aspects[0])};
    std::vector<PrintLayout> prints;
    if (aspects.size() == 2) {
        prints.push_back(fitted(kPairPlaces[0], aspects[0]));
        prints.push_back(fitted(kPairPlaces[1], aspects[1]));
    }
    return prints;
}

PhotoImage composePhoto(int width, int height)
{
    // The stock pictures fill their boxes; their papers' borders are their own.
    auto stock = [](const PrintPlace& place, float border, float bottomBorder, float dusk) {
        PrintLayout layout{place.centreX, place.centreY, place.boxWidth, place.boxHeight, border, bottomBorder,
                           place.degrees};
        return Print{layout, {dusk}, nullptr};
    };
    return composePrints(width, height, {stock(kPairPlaces[0], 22.0f, 72.0f, 1.0f), stock(kPairPlaces[1], 34.0f, 118.0f, 0.0f)});
}

PhotoImage composePhoto(int width, int height, const std::vector<Picture>& pictures)
{
    std::vector<double> aspects;
    for (const Picture& picture : pictures)
        aspects.push_back(double(picture.width) / double(picture.height));
    std::vector<PrintLayout> layouts = layoutPrints(aspects);
    const float scale = float(height) / 1080.0f;
    std::vector<PictureSampler> samplers;
    samplers.reserve(layouts.size());
    std::vector<Print> prints;
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        samplers.emplace_back(pictures[i], layouts[i].pictureWidth * scale);
        prints.push_back({layouts[i], {}, &samplers.back()});
    }
    return composePrints(width, height, prints);
}
