// The photo tool's picture: prints on transparency with soft shadows, the landscape inside
// them, the same pixels every run, scaled by height and centred across, never taken for a
// lyric image by the layer shader, and cut down to what shows behind a header that places it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "rules/LayoutHeader.h"
#include "tests/support/Image.h"
#include "tools/lib/photo/PhotoComposition.h"
#include "tools/lib/photo/PlacedPhoto.h"

namespace {

Rgba texel(const PhotoImage& image, int x, int y)
{
    const uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// The reference-frame point at (lx, ly) on the front print, as a pixel of a 480×270 image.
std::pair<int, int> onFrontPrint(double lx, double ly)
{
    const double angle = -2.5 * std::numbers::pi / 180.0;
    double x = 1070.0 + lx * std::cos(angle) - ly * std::sin(angle);
    double y = 560.0 + lx * std::sin(angle) + ly * std::cos(angle);
    return {int(x / 4.0), int(y / 4.0)};
}

}  // namespace

TEST(PhotoComposition, PrintsSitOnTransparencyWithSoftShadows)
{
    const PhotoImage photo = composePhoto(480, 270);
    ASSERT_EQ(photo.pixels.size(), std::size_t(480 * 270 * 4));

    struct Probe {
        const char* what;
        std::pair<int, int> at;
        int minimumAlpha;
        int maximumAlpha;
    };
    const Probe probes[] = {
        {"top-left corner", {0, 0}, 0, 0},
        {"top-right corner", {479, 0}, 0, 0},
        {"bottom-left corner", {0, 269}, 0, 0},
        {"bottom-right corner", {479, 269}, 0, 0},
        {"middle of the front print", onFrontPrint(0, 0), 255, 255},
        {"paper below the front picture", onFrontPrint(0, 359), 255, 255},
        {"shadow under the front print", onFrontPrint(0, 421), 40, 220},
        {"back print beside the front one", {(540 - 250) / 4, 380 / 4}, 255, 255},
    };
    for (const Probe& probe : probes) {
        Rgba colour = texel(photo, probe.at.first, probe.at.second);
        EXPECT_GE(colour.a, probe.minimumAlpha) << probe.what << ": " << colour;
        EXPECT_LE(colour.a, probe.maximumAlpha) << probe.what << ": " << colour;
    }
    // Transparent texels keep the shadow's dark colour, so no light fringe appears when scaled.
    EXPECT_EQ(texel(photo, 0, 0), (Rgba{10, 8, 20, 0}));
    Rgba shadow = texel(photo, onFrontPrint(0, 421).first, onFrontPrint(0, 421).second);
    EXPECT_LT(shadow.r + shadow.g + shadow.b, 120) << shadow;
    Rgba paper = texel(photo, onFrontPrint(0, 359).first, onFrontPrint(0, 359).second);
    EXPECT_GT(std::min({paper.r, paper.g, paper.b}), 190) << paper;

    // Inside the front picture: blue sky at the top, golden fields below.
    Rgba sky = texel(photo, onFrontPrint(0, -42 - 333 + 20).first, onFrontPrint(0, -42 - 333 + 20).second);
    EXPECT_GT(sky.b, sky.r + 40) << "sky " << sky;
    Rgba field = texel(photo, onFrontPrint(250, 191).first, onFrontPrint(250, 191).second);
    EXPECT_GT(field.r, field.b + 80) << "field " << field;
}

TEST(PhotoComposition, IsTheSameEveryRunAndNeverReadsAsALyricImage)
{
    const std::pair<int, int> sizes[] = {{2, 2}, {16, 9}, {240, 135}, {300, 100}};
    for (auto [width, height] : sizes) {
        PhotoImage first = composePhoto(width, height);
        PhotoImage second = composePhoto(width, height);
        EXPECT_EQ(first.width, width);
        EXPECT_EQ(first.height, height);
        EXPECT_TRUE(first.pixels == second.pixels) << width << "x" << height;
        EXPECT_FALSE(readLayoutHeader(first.pixels.data(), width, height)) << width << "x" << height;
    }
}

TEST(PlacedPhoto, HoldsWhatShowsWithItsMarginBehindAHeaderThatPlacesIt)
{
    auto withTexels = [](int width, int height, std::vector<std::pair<int, int>> opaque) {
        PhotoImage image{width, height, std::vector<uint8_t>(std::size_t(width) * height * 4, 0)};
        for (std::size_t i = 0; i < image.pixels.size(); i += 4)
            image.pixels[i] = 90;  // the shadow's colour, kept where nothing shows
        for (auto [x, y] : opaque)
            image.pixels[(std::size_t(y) * width + x) * 4 + 3] = 255;
        return image;
    };
    struct Case {
        std::string name;
        PhotoImage composition;
        int left, top, width, rows;  // the rectangle the placed image holds
    };
    const Case cases[] = {
        {"one texel inside", withTexels(10, 8, {{5, 3}}), 3, 1, 5, 5},
        {"at the corners, the margin kept within the frame", withTexels(10, 8, {{0, 0}, {9, 7}}), 0, 0, 10, 8},
        {"one texel at the left edge, widened for the header", withTexels(10, 8, {{0, 4}}), 0, 2, 3, 5},
        {"one texel at the right edge", withTexels(10, 8, {{9, 4}}), 7, 2, 3, 5},
        {"nothing shows", withTexels(10, 8, {}), 0, 0, 3, 1},
        {"the stock composition", composePhoto(480, 270), -1, -1, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PhotoImage& whole = c.composition;
        PhotoImage placed = placedPhoto(whole);
        std::optional<TextPlacement> place = readLayoutHeader(placed.pixels.data(), placed.width, placed.height);
        ASSERT_TRUE(place);
        EXPECT_TRUE(place->stretched);
        EXPECT_EQ(place->frameWidth, whole.width);
        EXPECT_EQ(place->frameHeight, whole.height);
        if (c.left >= 0) {
            EXPECT_EQ((std::array{place->left, place->top, placed.width, placed.height - 1}),
                      (std::array{c.left, c.top, c.width, c.rows}));
        }
        // Inside the rectangle every texel is the composition's; outside it nothing shows.
        int lost = 0, differing = 0, margin = whole.width;
        for (int y = 0; y < whole.height; ++y)
            for (int x = 0; x < whole.width; ++x) {
                int px = x - place->left, py = y - place->top + 1;
                bool inside = px >= 0 && px < placed.width && py >= 1 && py < placed.height;
                if (!inside) {
                    lost += texel(whole, x, y).a != 0;
                    continue;
                }
                differing += !(texel(placed, px, py) == texel(whole, x, y));
                if (texel(whole, x, y).a != 0)
                    margin = std::min({margin, px, py - 1, placed.width - 1 - px, placed.height - 1 - py});
            }
        EXPECT_EQ(lost, 0);
        EXPECT_EQ(differing, 0);
        if (c.left < 0) {
            EXPECT_EQ(margin, kPlacedPhotoMargin) << "the stock prints stand clear of the frame's edges";
        }
    }
    PhotoImage narrow = withTexels(2, 4, {{1, 1}});
    EXPECT_TRUE(placedPhoto(narrow).pixels == narrow.pixels) << "too narrow for a header: kept whole";
}

TEST(PhotoComposition, ScalesWithTheHeightAndCentresAcross)
{
    // A wider image of the same height holds the same picture, moved to its middle.
    PhotoImage standard = composePhoto(480, 270);
    PhotoImage wide = composePhoto(640, 270);
    int differing = 0;
    for (int y = 0; y < 270; ++y)
        for (int x = 0; x < 480; ++x)
            differing += !(texel(standard, x, y) == texel(wide, x + 80, y));
    EXPECT_EQ(differing, 0);
    for (int y = 0; y < 270; y += 30)
        EXPECT_EQ(texel(wide, 10, y).a, 0) << "the band left of the picture is transparent at row " << y;

    // Twice the height, twice the picture: the middle of the front print stays in the middle.
    PhotoImage large = composePhoto(960, 540);
    auto [x, y] = onFrontPrint(0, 0);
    EXPECT_TRUE(colourNear(texel(large, 2 * x, 2 * y), texel(standard, x, y), 12));
}

TEST(Landscape, DuskDarkensTheSkyAndLightsTheWindows)
{
    auto colourAt = [](float dusk, float u, float v) {
        float rgb[3];
        landscapeColour(Landscape{dusk}, u, v, 0.001f, rgb);
        return std::array<float, 3>{rgb[0], rgb[1], rgb[2]};
    };
    auto light = [](std::array<float, 3> rgb) { return rgb[0] + rgb[1] + rgb[2]; };

    EXPECT_LT(light(colourAt(1.0f, 0.3f, 0.05f)), light(colourAt(0.0f, 0.3f, 0.05f)) - 0.3f) << "sky";
    EXPECT_LT(light(colourAt(1.0f, 0.8f, 0.9f)), light(colourAt(0.0f, 0.8f, 0.9f)) - 0.3f) << "fields";
    for (float dusk : {0.0f, 1.0f}) {
        std::array<float, 3> window = colourAt(dusk, 0.21f, 0.0f);
        // Find the window's row: the brightest yellow down the column through the left pane.
        float best = 0.0f;
        for (float v = 0.40f; v < 0.60f; v += 0.0005f) {
            std::array<float, 3> rgb = colourAt(dusk, 0.212f, v);
            float yellow = std::min(rgb[0], rgb[1]) - rgb[2];
            if (yellow > best) {
                best = yellow;
                window = rgb;
            }
        }
        EXPECT_GT(window[0], 0.85f) << "dusk " << dusk;
        EXPECT_GT(window[1], 0.7f) << "dusk " << dusk;
        EXPECT_LT(window[2], 0.6f) << "dusk " << dusk;
    }
}

TEST(PhotoComposition, UserPicturesKeepTheirAspectRatioAndStayInTheFrame)
{
    struct Case {
        std::vector<double> aspects;
    };
    const Case cases[] = {{{16.0 / 9.0}}, {{3.0 / 4.0}}, {{1.0}}, {{4.0}}, {{0.25}}, {{4.0 / 3.0, 9.0 / 16.0}}, {{0.5, 3.0}}};
    for (const Case& c : cases) {
        std::vector<PrintLayout> prints = layoutPrints(c.aspects);
        ASSERT_EQ(prints.size(), c.aspects.size());
        for (std::size_t i = 0; i < prints.size(); ++i) {
            const PrintLayout& print = prints[i];
            SCOPED_TRACE("aspect " + std::to_string(c.aspects[i]) + " of " + std::to_string(c.aspects.size()));
            EXPECT_NEAR(print.pictureWidth / print.pictureHeight, c.aspects[i], 1e-4) << "stretched";
            EXPECT_GT(std::max(print.pictureWidth, print.pictureHeight), c.aspects.size() == 1 ? 750.0f : 390.0f)
                << "smaller than its place allows";
            // Every corner of the tilted paper lies inside the frame.
            for (auto [x, y] : paperCorners(print))
                EXPECT_TRUE(x > 0.0 && x < 1920.0 && y > 0.0 && y < 1080.0) << x << "," << y;
        }
    }
}

TEST(PhotoComposition, AUserPictureShowsTheRightWayRoundOnItsPrint)
{
    // Red on the left half, blue on the right, twice as wide as high.
    Picture picture{200, 100, std::vector<uint8_t>(200 * 100 * 4, 255)};
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            uint8_t* p = &picture.pixels[(std::size_t(y) * 200 + x) * 4];
            p[0] = x < 100 ? 255 : 0;
            p[1] = 0;
            p[2] = x < 100 ? 0 : 255;
        }
    PhotoImage photo = composePhoto(480, 270, {picture});
    PrintLayout print = layoutPrints({2.0}).front();
    float pictureCentreY = print.centreY + (print.border - print.bottomBorder) / 2.0f;
    Rgba left = texel(photo, int((print.centreX - print.pictureWidth / 4) / 4), int(pictureCentreY / 4));
    Rgba right = texel(photo, int((print.centreX + print.pictureWidth / 4) / 4), int(pictureCentreY / 4));
    EXPECT_TRUE(colourNear(left, {255, 0, 0, 255}, 8)) << left;
    EXPECT_TRUE(colourNear(right, {0, 0, 255, 255}, 8)) << right;
    EXPECT_EQ(texel(photo, 0, 0).a, 0);
    EXPECT_FALSE(readLayoutHeader(photo.pixels.data(), photo.width, photo.height));
}

TEST(PhotoComposition, APictureOfAnyShapeIsPrintedWithinItsPixels)
{
    // Once a read past the picture: a strip far wider than high asked its reduction for blocks
    // taller than itself (AddressSanitizer saw it; the release build crashed or read garbage).
    const std::pair<int, int> shapes[] = {{8000, 1}, {6000, 1}, {1, 8000}, {1, 1}, {9000, 3}, {2, 5000}};
    for (auto [width, height] : shapes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        Picture picture{width, height, std::vector<uint8_t>(std::size_t(width) * height * 4, 0)};
        for (std::size_t i = 0; i < picture.pixels.size(); i += 4)
            picture.pixels[i] = picture.pixels[i + 3] = 255;
        PhotoImage photo = composePhoto(480, 270, {picture});
        ASSERT_EQ(photo.pixels.size(), std::size_t(480 * 270 * 4));
        // The paper's middle is opaque whatever the picture's shape; where the picture covers it,
        // it is the picture's red.
        Rgba middle = texel(photo, 240, int(layoutPrints({double(width) / height}).front().centreY / 4));
        EXPECT_EQ(middle.a, 255) << middle;
        EXPECT_EQ(texel(photo, 0, 0).a, 0);
    }
}
