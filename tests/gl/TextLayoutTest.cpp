// The show's own shaders on a real context: lyric images land where their header row says at
// one texel per pixel on a 1920×1080 screen and scale with other screens; images without the
// header fill the screen; the photo, cut to what shows, draws as the whole composition did;
// smaller "zscore" is nearer; and the background program links with exactly its uniforms,
// follows the time and keeps the look of its formula, under the photo too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resources/ShaderProgram.h"
#include "resources/Texture.h"
#include "rules/LayoutHeader.h"
#include "rules/ShowTimeline.h"
#include "show/ScreenQuad.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/photo/PhotoComposition.h"
#include "tools/make/BackgroundCues.h"

namespace {

const std::string kData = std::string(SOVANE05_SOURCE_DIR) + "/data/";
constexpr Rgba kBackground{40, 60, 90, 255};

Rgba blend(Rgba source, Rgba destination)
{
    auto mix = [&](uint8_t s, uint8_t d) { return uint8_t(std::lround((s * source.a + d * (255 - source.a)) / 255.0)); };
    return {mix(source.r, destination.r), mix(source.g, destination.g), mix(source.b, destination.b),
            mix(source.a, destination.a)};
}

// A lyric image whose text texels are all opaque and all different, so a shifted, scaled or
// flipped draw cannot pass.
Image patternedLyric(int width, int textHeight, TextPlacement placement)
{
    Image image(width, textHeight + 1);
    writeLayoutHeader(image.pixels.data(), width, placement);
    for (int y = 1; y < image.height; ++y)
        for (int x = 0; x < width; ++x)
            image.set(x, y, {uint8_t(x * 7 % 256), uint8_t(y * 13 % 256), uint8_t((x + y) * 5 % 256), 255});
    return image;
}

// The frame the show should produce: the image's text rows at its place over the background.
Image expectedFrame(const Image& image, int width, int height)
{
    Image frame(width, height, kBackground);
    TextPlacement place = *readLayoutHeader(image.pixels.data(), image.width, image.height);
    for (int y = 1; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            frame.set(place.left + x, place.top + y - 1, blend(image.at(x, y), kBackground));
    return frame;
}

// The background as it was first written, a handful of sines for every pixel, without its
// dither: the look that working out the frame once per corner must keep. (s, t) is the
// full-screen coordinate, t = 0 at the top.
Rgba referenceBackground(double time, double s, double t, double aspect)
{
    const double beatSeconds = kSecondsPerBeat;
    const double barSeconds = kSecondsPerBar;
    const double tau = 6.2831853;
    auto smoothstep = [](double edge0, double edge1, double x) {
        double k = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
        return k * k * (3.0 - 2.0 * k);
    };
    auto fract = [](double x) { return x - std::floor(x); };
    double px = (s - 0.5) * aspect;
    double py = t - 0.5;
    double radius = std::hypot(px, py);
    double chorus = smoothstep(kPhotoStart - 0.25, kPhotoStart + 0.35, time);
    double build = smoothstep(kPhotoStart - 4.0 * barSeconds, kPhotoStart, time) * (1.0 - chorus);
    double beat = fract(time / beatSeconds);
    double bar = fract(time / barSeconds);
    double pulse = std::exp(-7.0 * beat) * (0.35 + 0.45 * build + 0.5 * chorus) + std::exp(-3.0 * bar) * 0.35;
    double drift = time * (0.16 + (0.27 - 0.16) * chorus);
    double cx = 0.35 * std::sin(drift * 0.71);
    double cy = 0.22 * std::cos(drift * 0.53);
    double waves = std::sin(px * 3.1 + drift * 1.7) + std::sin(py * 4.3 - drift * 1.3) +
                   std::sin((px + py) * 2.3 + drift) + std::sin(std::hypot(px - cx, py - cy) * 7.0 - drift * 2.4);
    double field = waves * 0.125 + 0.5;
    double flash = time >= kPhotoStart ? std::exp(-(time - kPhotoStart) * 4.0) : 0.0;
    double fade = smoothstep(0.0, 1.2, time) * (1.0 - smoothstep(kPhotoEnd - 2.0, kPhotoEnd, time));
    const double nightBase[3] = {0.12, 0.12, 0.29}, nightSwing[3] = {0.10, 0.09, 0.16}, nightPhase[3] = {0.55, 0.65, 0.80};
    const double sunsetBase[3] = {0.46, 0.22, 0.30}, sunsetSwing[3] = {0.26, 0.16, 0.14}, sunsetPhase[3] = {0.02, 0.16, 0.28};
    const double nightGlow[3] = {0.45, 0.55, 1.0}, chorusGlow[3] = {1.0, 0.72, 0.42}, flashColour[3] = {1.0, 0.85, 0.7};
    double ring = radius - bar * 1.3;
    uint8_t channels[3];
    for (int c = 0; c < 3; ++c) {
        double night = nightBase[c] + nightSwing[c] * std::cos(tau * (field * 0.8 + time * 0.004 + nightPhase[c]));
        double sunset = sunsetBase[c] + sunsetSwing[c] * std::cos(tau * (field * 0.9 - time * 0.01 + sunsetPhase[c]));
        double glow = nightGlow[c] + (chorusGlow[c] - nightGlow[c]) * chorus;
        double light = night + (sunset - night) * chorus;
        light += glow * pulse * 0.16 * std::exp(-radius * radius * 2.5) * (0.6 + 0.8 * field);
        light += glow * std::exp(-ring * ring * 90.0) * (1.0 - bar) * (0.07 + 0.04 * chorus);
        light += flashColour[c] * flash * 0.5;
        light *= (1.0 - 0.45 * radius * radius) * fade;
        channels[c] = uint8_t(std::lround(std::clamp(light, 0.0, 1.0) * 255.0));
    }
    return {channels[0], channels[1], channels[2], 255};
}

// The mean of one channel over the rectangle [x0, x1) × [y0, y1), the whole image by default.
double mean(const Image& image, int channel, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1)
{
    x1 = x1 < 0 ? image.width : x1;
    y1 = y1 < 0 ? image.height : y1;
    double sum = 0.0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += image.pixels[(std::size_t(y) * image.width + x) * 4 + channel];
    return sum / ((x1 - x0) * (y1 - y0));
}

// The light of the middle of a 480×270 frame, where the glow pulses.
double centreLight(const Image& image)
{
    return mean(image, 0, 200, 100, 280, 170) + mean(image, 1, 200, 100, 280, 170) + mean(image, 2, 200, 100, 280, 170);
}

}  // namespace

class TextLayoutTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        text = loadShaderProgram((kData + "textlayout.frag").c_str(), (kData + "textlayout.vert").c_str());
        background = loadShaderProgram((kData + "white.frag").c_str(), (kData + "white.vert").c_str());
        quad = createScreenQuad();
    }
    void TearDown() override
    {
        for (GLuint texture : textures)
            glDeleteTextures(1, &texture);
        glDeleteBuffers(1, &quad->positionBuffer);
        glDeleteBuffers(1, &quad->texCoordBuffer);
        glDeleteVertexArrays(1, &quad->vertexArray);
        glDeleteProgram(text->program);
        glDeleteProgram(background->program);
        for (const std::unique_ptr<ShaderProgram>& program : madePrograms)
            glDeleteProgram(program->program);
        delete quad;
        delete text;
        delete background;
        GlTest::TearDown();
    }

    GLuint upload(const Image& image)
    {
        std::string path = (folder / ("image" + std::to_string(textures.size()) + ".png")).string();
        EXPECT_EQ(writePng(path, image.width, image.height, 4, image.pixels.data()), "");
        textures.push_back(loadTexture(path.c_str()));
        return textures.back();
    }

    void clear()
    {
        glClearColor(kBackground.r / 255.0f, kBackground.g / 255.0f, kBackground.b / 255.0f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void drawImage(GLuint texture, float zscore)
    {
        text->use();
        glUniform1f(glGetUniformLocation(text->program, "zscore"), zscore);
        text->bindTexture(texture);
        drawScreenQuad(*quad);
    }

    void drawBackground(float time, float zscore, ShaderProgram* program = nullptr)
    {
        program = program != nullptr ? program : background;
        program->use();
        glUniform1f(glGetUniformLocation(program->program, "zscore"), zscore);
        glUniform1f(glGetUniformLocation(program->program, "time"), time);
        drawScreenQuad(*quad);
    }

    // The made show's copy of the background for `cues`, as sovane05-make writes it.
    ShaderProgram* madeBackground(const BackgroundCues& cues)
    {
        std::string missing;
        std::string name = "made" + std::to_string(madePrograms.size());
        for (const char* stage : {"white.frag", "white.vert"}) {
            std::optional<std::string> made = backgroundWithCues(readFile(kData + stage), stage, cues, missing);
            EXPECT_TRUE(made) << missing;
            writeFile(folder / (name + "." + std::string(stage).substr(6)), made.value_or(""));
        }
        madePrograms.emplace_back(loadShaderProgram((folder / (name + ".frag")).c_str(), (folder / (name + ".vert")).c_str()));
        return madePrograms.back().get();
    }

    std::vector<std::unique_ptr<ShaderProgram>> madePrograms;

    TempDir folder;
    ShaderProgram* text = nullptr;
    ShaderProgram* background = nullptr;
    ScreenQuad* quad = nullptr;
    std::vector<GLuint> textures;
};

TEST_F(TextLayoutTest, LyricImagesLandAtTheirHeaderPlaceAtOneTexelPerPixel)
{
    struct Case {
        std::string name;
        Image image;
    };
    const Case cases[] = {
        {"middle", patternedLyric(37, 21, {731, 405})},
        {"top-left corner", patternedLyric(16, 9, {0, 0})},
        {"bottom-right corner", patternedLyric(24, 12, {1920 - 24, 1080 - 12})},
        // The committed images, anti-aliased text over transparency, as the lyrics tool made them.
        {"first entry", loadImage(kData + "lyrics/086.png")},
        {"last entry", loadImage(kData + "lyrics/000.png")},
    };
    RenderTarget target(1920, 1080);
    for (const Case& c : cases) {
        ASSERT_GT(c.image.width, 0) << c.name << ": the image did not load";
        GLuint texture = upload(c.image);
        clear();
        drawImage(texture, 0.1f);
        EXPECT_TRUE(imagesMatch(readTarget(target), expectedFrame(c.image, 1920, 1080), 1, 0.01, "textlayout-" + c.name))
            << c.name;
    }
}

TEST_F(TextLayoutTest, OtherScreensScaleTheReferenceFrameByHeightAndCentreIt)
{
    // A solid block 300×150 at (810, 465) in the reference frame: the middle of the screen.
    Image block(300, 151, {250, 200, 20, 255});
    writeLayoutHeader(block.pixels.data(), block.width, {810, 465});
    GLuint texture = upload(block);
    struct Case {
        int width;
        int height;
    };
    const Case cases[] = {{1280, 720}, {2560, 1080}, {1440, 1080}, {3840, 2160}};
    for (const Case& c : cases) {
        RenderTarget target(c.width, c.height);
        clear();
        drawImage(texture, 0.1f);
        Image frame = readTarget(target);
        double scale = c.height / 1080.0;
        double across = (c.width - 1920 * scale) / 2;
        int left = int(std::lround(across + 810 * scale));
        int right = int(std::lround(across + 1110 * scale));
        int top = int(std::lround(465 * scale));
        int bottom = int(std::lround(615 * scale));
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        // Two pixels in from each edge is inside, two out is background.
        const int inside[][2] = {{left + 2, top + 2}, {right - 3, bottom - 3}, {(left + right) / 2, (top + bottom) / 2}};
        const int outside[][2] = {{left - 3, top + 5}, {right + 2, top + 5}, {left + 5, top - 3}, {left + 5, bottom + 2}};
        for (auto [x, y] : inside)
            EXPECT_TRUE(colourNear(frame.at(x, y), {250, 200, 20, 255}, 1)) << x << "," << y;
        for (auto [x, y] : outside)
            EXPECT_TRUE(colourNear(frame.at(x, y), kBackground, 0)) << x << "," << y;
        if (HasFailure())
            saveTestImage(frame, "textlayout-scaled-" + std::to_string(c.width) + "x" + std::to_string(c.height));
    }
}

TEST_F(TextLayoutTest, ImagesWithoutTheHeaderFillTheScreenWithTheirAlpha)
{
    struct Case {
        const char* name;
        Rgba topLeft;
    };
    const Case cases[] = {
        {"opaque corner", {200, 10, 10, 255}},
        {"another version of the marker", {83, 86, 3, 0}},
        {"the photo's marker with no room for its frame's size", {83, 86, 2, 0}},
        {"marker colours but visible", {83, 86, 1, 128}},
    };
    for (const Case& c : cases) {
        Image image(2, 2);
        image.set(0, 0, c.topLeft);
        image.set(1, 0, {10, 200, 10, 255});
        image.set(0, 1, {10, 10, 200, 255});
        image.set(1, 1, {250, 250, 250, 64});
        GLuint texture = upload(image);
        RenderTarget target(1920, 1080);
        clear();
        drawImage(texture, 0.09f);
        Image frame = readTarget(target);
        // Texel centres fall at a quarter and three quarters of the screen; there the texels
        // show unmixed, the first row at the top.
        EXPECT_TRUE(colourNear(frame.at(479, 269), blend(c.topLeft, kBackground), 2)) << c.name;
        EXPECT_TRUE(colourNear(frame.at(1439, 269), blend({10, 200, 10, 255}, kBackground), 2)) << c.name;
        EXPECT_TRUE(colourNear(frame.at(479, 809), blend({10, 10, 200, 255}, kBackground), 2)) << c.name;
        EXPECT_TRUE(colourNear(frame.at(1439, 809), blend({250, 250, 250, 64}, kBackground), 2)) << c.name;
        // Nothing is discarded: every pixel was drawn over.
        EXPECT_NE(frame.at(0, 0), kBackground) << c.name;
        EXPECT_NE(frame.at(1919, 1079), kBackground) << c.name;
        if (HasFailure())
            saveTestImage(frame, std::string("textlayout-fill-") + c.name);
    }
}

TEST_F(TextLayoutTest, SmallerZscoreIsNearerAndOnlyTheTextCoversWhatIsBehind)
{
    Image lyric = patternedLyric(40, 20, {900, 500});
    GLuint texture = upload(lyric);
    RenderTarget target(1920, 1080);
    // The lyric first at 0.1, then the background at 0.11 behind it: the lyric must stay.
    clear();
    drawImage(texture, 0.1f);
    drawBackground(10.0f, 0.11f);
    Image frame = readTarget(target);
    Image behind = frame;
    clear();
    drawBackground(10.0f, 0.11f);
    Image backgroundOnly = readTarget(target);
    const int onText[][2] = {{900, 500}, {939, 519}, {920, 510}};
    const int offText[][2] = {{899, 500}, {940, 510}, {920, 499}, {920, 520}, {5, 5}};
    for (auto [x, y] : onText)
        EXPECT_EQ(frame.at(x, y), lyric.at(x - 900, y - 500 + 1)) << x << "," << y;
    for (auto [x, y] : offText)
        EXPECT_EQ(frame.at(x, y), backgroundOnly.at(x, y)) << x << "," << y;
    if (HasFailure())
        saveTestImage(behind, "textlayout-depth");
}

TEST_F(TextLayoutTest, ProgramsHaveExactlyTheirUniforms)
{
    auto uniforms = [](GLuint program) {
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
        std::vector<std::string> names;
        for (GLint i = 0; i < count; ++i) {
            char name[64];
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(program, GLuint(i), sizeof name, nullptr, &size, &type, name);
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(uniforms(text->program), (std::vector<std::string>{"img", "zscore"}));
    EXPECT_EQ(uniforms(background->program), (std::vector<std::string>{"time", "zscore"}));
    for (GLuint program : {text->program, background->program}) {
        EXPECT_EQ(glGetAttribLocation(program, "position"), 0);
        EXPECT_EQ(glGetAttribLocation(program, "texcoord"), 1);
    }
}

TEST_F(TextLayoutTest, BackgroundFollowsTheTimeThePulseAndTheChorus)
{
    RenderTarget target(480, 270);
    auto render = [&](float time) {
        clear();
        drawBackground(time, 0.11f);
        return readTarget(target);
    };

    const double beat = kSecondsPerBeat;
    Image early = render(10.0f);
    Image later = render(20.0f);
    Image onBeat = render(float(32 * beat));
    Image offBeat = render(float(32 * beat + 0.4 * beat));
    Image verse = render(40.0f);
    Image chorus = render(50.0f);
    Image ended = render(float(kPhotoEnd));

    for (const Image* image : {&early, &later, &verse, &chorus})
        EXPECT_EQ(mean(*image, 3), 255.0) << "the background is opaque";
    EXPECT_GT(mean(early, 0) + mean(early, 1) + mean(early, 2), 60.0) << "not dark at 10 s";
    EXPECT_FALSE(imagesMatch(early, later, 8, 2.0, "white-still")) << "nothing moved from 10 s to 20 s";
    EXPECT_GT(centreLight(onBeat), centreLight(offBeat) + 6.0) << "no pulse on the beat";
    EXPECT_GT(mean(chorus, 0) / mean(chorus, 2), 1.4 * mean(verse, 0) / mean(verse, 2)) << "the chorus is not warmer";
    EXPECT_LT(mean(ended, 0) + mean(ended, 1) + mean(ended, 2), 3.0) << "not faded out at the end";
    if (HasFailure()) {
        saveTestImage(early, "white-10s");
        saveTestImage(onBeat, "white-on-beat");
        saveTestImage(offBeat, "white-off-beat");
        saveTestImage(chorus, "white-50s");
    }
}

TEST_F(TextLayoutTest, BackgroundKeepsTheLookOfItsPerPixelFormula)
{
    constexpr int kTargetWidth = 384;
    constexpr int kTargetHeight = 216;
    RenderTarget target(kTargetWidth, kTargetHeight);
    // A verse, the beat, the build, the switch to the chorus with its flash, the photo scene and
    // the fade at the end.
    for (double time : {3.0, 12.3, 30.0, 40.1, 44.0, 44.9, 45.2, 50.0, 56.5}) {
        clear();
        drawBackground(float(time), 0.11f);
        Image expected(kTargetWidth, kTargetHeight);
        for (int y = 0; y < kTargetHeight; ++y)
            for (int x = 0; x < kTargetWidth; ++x)
                expected.set(x, y, referenceBackground(time, (x + 0.5) / kTargetWidth, (y + 0.5) / kTargetHeight,
                                                       double(kTargetWidth) / kTargetHeight));
        // Within the dither's step and the approximations' few levels, and nearly the same on
        // average.
        EXPECT_TRUE(imagesMatch(readTarget(target), expected, 4, 0.75, "white-look-" + std::to_string(time)));
    }
}

// The photo scene at 50 s: the committed photo, which holds only what shows and places it with
// its header, draws the same pixels as the whole composition stretched over the screen, at the
// show's size and at one that scales it; and over the background, the composition blended over
// the background's formula.
TEST_F(TextLayoutTest, PhotoSceneKeepsTheLookOfTheWholeCompositionOverTheFormula)
{
    PhotoImage whole = composePhoto(1920, 1080);
    Image composition(whole.width, whole.height);
    composition.pixels = whole.pixels;
    GLuint placed = upload(loadImage(kData + "photo.png"));
    GLuint stretched = upload(composition);
    auto frame = [&](RenderTarget& target, GLuint photo) {
        clear();
        drawBackground(50.0f, 0.1f);
        drawImage(photo, 0.09f);
        return readTarget(target);
    };
    for (auto [width, height] : {std::pair{1920, 1080}, {1366, 768}}) {
        RenderTarget target(width, height);
        std::string size = std::to_string(width) + "x" + std::to_string(height);
        EXPECT_TRUE(imagesMatch(frame(target, placed), frame(target, stretched), width == 1920 ? 0 : 1, 0.001,
                                "photo-placed-" + size));
    }
    RenderTarget target(1920, 1080);
    Image expected(1920, 1080);
    for (int y = 0; y < 1080; ++y)
        for (int x = 0; x < 1920; ++x)
            expected.set(x, y, blend(composition.at(x, y),
                                     referenceBackground(50.0, (x + 0.5) / 1920.0, (y + 0.5) / 1080.0, 1920.0 / 1080.0)));
    EXPECT_TRUE(imagesMatch(frame(target, placed), expected, 4, 0.75, "photo-look-50"));
}

// A made show's copy of the background (tools/make/BackgroundCues.h): with the stock show's
// cues it draws exactly what the stock program draws; with a song's it turns warm under each
// photo window and back to night after it, flashes as each opens, pulses on the song's beat
// from its first downbeat, and fades out at the music's end.
TEST_F(TextLayoutTest, AMadeBackgroundTakesItsSongsCuesAndKeepsItsLook)
{
    RenderTarget target(480, 270);
    auto render = [&](ShaderProgram* program, double time) {
        clear();
        drawBackground(float(time), 0.11f, program);
        return readTarget(target);
    };
    auto light = [&](const Image& image) { return mean(image, 0) + mean(image, 1) + mean(image, 2); };
    auto warmth = [&](const Image& image) { return mean(image, 0) / mean(image, 2); };

    BackgroundCues stockCues;
    stockCues.warmWindows = {{kPhotoStart, kPhotoEnd}};
    ShaderProgram* asStock = madeBackground(stockCues);
    for (double time : {3.0, 12.3, 30.0, 44.0, 44.9, 45.2, 50.0, 56.5, 57.9})
        EXPECT_TRUE(imagesMatch(render(asStock, time), render(nullptr, time), 0, 0.0, "made-as-stock-" + std::to_string(time)))
            << "at " << time << " s";

    BackgroundCues song;
    song.beatsPerMinute = 100.0;
    song.firstDownbeat = 0.3;
    song.end = 80.0;
    song.warmWindows = {{20.0, 30.0}, {60.0, 70.0}};
    ShaderProgram* made = madeBackground(song);
    const double beat = 0.6;
    Image night = render(made, 15.0);
    Image warm = render(made, 25.0);
    Image nightAgain = render(made, 45.0);
    Image warmAgain = render(made, 65.0);
    EXPECT_GT(warmth(warm), 1.4 * warmth(night)) << "not warm under the first photo window";
    EXPECT_GT(warmth(warmAgain), 1.4 * warmth(nightAgain)) << "not warm under the second photo window";
    EXPECT_LT(warmth(nightAgain), 1.1 * warmth(night)) << "not night again after the first photo window";
    EXPECT_GT(light(render(made, 60.05)), light(render(made, 59.95)) + 20.0) << "no flash as the window opens";
    Image onBeat = render(made, 0.3 + 32 * beat);
    Image offBeat = render(made, 0.3 + 32.4 * beat);
    EXPECT_GT(centreLight(onBeat), centreLight(offBeat) + 6.0) << "no pulse on the song's beat";
    EXPECT_LT(light(render(made, 80.0)), 3.0) << "not faded out at the music's end";
    EXPECT_GT(light(render(made, 58.0)), 60.0) << "faded out at the stock show's end";
    if (HasFailure()) {
        saveTestImage(night, "made-white-15s");
        saveTestImage(warm, "made-white-25s");
        saveTestImage(onBeat, "made-white-on-beat");
    }
}
