// Writing the fixture show.
#include "tests/support/FixtureShow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

namespace {

const char* const kLayerVertex =
    "#version 410 core\n"
    "layout(location = 0) in vec2 position;\n"
    "layout(location = 1) in vec2 texCoord;\n"
    "uniform float zscore;\n"
    "out vec2 uv;\n"
    "void main() { uv = texCoord; gl_Position = vec4(position, zscore, 1.0); }\n";

const char* const kWhiteFragment =
    "#version 410 core\n"
    "uniform float time;\n"
    "out vec4 colour;\n"
    "void main() { colour = vec4(0.25, 0.25, clamp(time / 64.0, 0.0, 1.0), 1.0); }\n";

const char* const kTextLayoutFragment =
    "#version 410 core\n"
    "uniform sampler2D img;\n"
    "in vec2 uv;\n"
    "out vec4 colour;\n"
    "void main() { colour = texture(img, uv); }\n";

constexpr int kStripWidth = 12;
constexpr int kStripHeight = 4;

void writeStrip(const std::filesystem::path& path, Rgba colour, float left, float right)
{
    std::vector<uint8_t> rgba;
    for (int y = 0; y < kStripHeight; ++y) {
        for (int x = 0; x < kStripWidth; ++x) {
            float centre = (float(x) + 0.5f) / kStripWidth;
            bool covered = centre >= left && centre < right;
            Rgba pixel = covered ? colour : Rgba{colour.r, colour.g, colour.b, 0};
            rgba.insert(rgba.end(), {pixel.r, pixel.g, pixel.b, pixel.a});
        }
    }
    writeTestPng(path, kStripWidth, kStripHeight, 4, rgba);
}

}  // namespace

FixtureShow::FixtureShow()
{
    for (int i = 0; i < kLyricLineCount; ++i)
        lines[i].colour = {uint8_t(40 + 2 * i), uint8_t(220 - 2 * i), uint8_t(3 * i), 255};
}

void writeFixtureShow(const std::filesystem::path& folder, const FixtureShow& show)
{
    std::filesystem::path data = folder / "data";
    writeFile(data / "layer.vert", kLayerVertex);
    writeFile(data / "white.frag", kWhiteFragment);
    writeFile(data / "textlayout.frag", kTextLayoutFragment);

    std::string config =
        "Shader white data/white.frag data/layer.vert\n"
        "Shader textlayout data/textlayout.frag data/layer.vert\n"
        "Texture photo data/photo.png\n";
    std::string timing;
    for (int line = 0; line < kLyricLineCount; ++line) {
        std::string name = lineTextureName(line).data();
        const FixtureLine& fixture = show.lines[line];
        writeStrip(data / "lines" / (name + ".png"), fixture.colour, fixture.left, fixture.right);
        config += "Texture " + name + " data/lines/" + name + ".png\n";
        char pair[64];
        std::snprintf(pair, sizeof pair, "%.17g %.17g\n", fixture.start, fixture.end);
        timing += pair;
    }
    writeStrip(data / "photo.png", show.photo, 0.0f, 0.5f);
    // Registered last, so the stock show's textures keep their names and lines.
    writeStrip(data / "photo2.png", show.secondPhoto, 0.5f, 1.0f);
    config += "Texture photo2 data/photo2.png\n";
    writeFile(data / "config.txt", config);
    if (show.writeTiming)
        writeFile(data / "texttiming.txt", show.timingText.empty() ? timing : show.timingText);
    if (!show.sceneList.empty())
        writeFile(data / "scenes.txt", show.sceneList);
}

Rgba fixtureBackground(double time)
{
    double blue = std::clamp(time / 64.0, 0.0, 1.0);
    return {64, 64, uint8_t(std::lround(blue * 255.0)), 255};
}
