// The show's scenes on a real context: the screen quad, the lyrics and photo scenes and the
// assembly, rendered from a fixture show and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <stdexcept>

#include "engine/SceneDispatch.h"
#include "rules/ShowTimeline.h"
#include "show/Lyrics.h"
#include "show/MyDemo.h"
#include "show/PhotoCompo.h"
#include "show/ScreenQuad.h"
#include "show/ShowBuild.h"
#include "show/ShowWarmUp.h"
#include "tests/support/FixtureShow.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

namespace {

// Scenes render into a frame buffer of the fixture strips' size, one pixel per texel, where
// linear filtering returns texels exactly: columns 0, 5 and 11 of 12.
constexpr int kFrameWidth = 12;
constexpr int kFrameHeight = 4;
constexpr int kLeft = 0;
constexpr int kMiddle = 5;
constexpr int kRight = 11;
constexpr int kRow = 1;

struct Probe {
    int x;
    int y;
    Rgba expected;
};

// One moment of a table of frames and what its pixels must be.
struct FrameCase {
    std::string name;
    double time;
    std::vector<Probe> probes;
};

Rgba blend(Rgba source, Rgba destination)
{
    auto mix = [&](uint8_t s, uint8_t d) { return uint8_t(std::lround((s * source.a + d * (255 - source.a)) / 255.0)); };
    return {mix(source.r, destination.r), mix(source.g, destination.g), mix(source.b, destination.b),
            mix(source.a, destination.a)};
}

}  // namespace

class ShowScenesTest : public GlTest {
protected:
    // Builds the show from a fixture written into a temporary folder, less the `removed` files.
    MyDemo* build(const FixtureShow& show, std::string* err = nullptr, const std::vector<std::string>& removed = {})
    {
        writeFixtureShow(folder.path(), show);
        for (const std::string& file : removed)
            std::filesystem::remove(folder / file);
        WorkingFolder inside(folder.path());
        MyDemo* demo = new MyDemo(kWidth, kHeight);
        ::testing::internal::CaptureStderr();
        demo->initialise();
        std::string captured = ::testing::internal::GetCapturedStderr();
        if (err != nullptr)
            *err = captured;
        return demo;
    }

    // Renders the frame at `time` as the frame loop does and checks the probes; on a mismatch
    // the frame is saved for a person to look at.
    void expectFrame(MyDemo& demo, double time, const std::vector<Probe>& probes, const std::string& name)
    {
        RenderTarget target(kFrameWidth, kFrameHeight);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        cg_engine::renderActiveScenes(demo, time);
        Image frame = readTarget(target);
        bool allNear = true;
        for (const Probe& probe : probes) {
            ::testing::AssertionResult near = colourNear(frame.at(probe.x, probe.y), probe.expected, 2);
            EXPECT_TRUE(near) << name << " at t = " << time << ", pixel (" << probe.x << ", " << probe.y << ")";
            allNear = allNear && near;
        }
        if (!allNear)
            ADD_FAILURE() << "frame saved as " << saveTestImage(frame, "ShowScenes-" + name + "-actual");
    }

    TempDir folder;
};

TEST_F(ShowScenesTest, QuadShowsAnImageUprightOverTheWholeViewport)
{
    // 3×2, drawn into a 3×2 frame: every pixel shows one texel.
    Image corners(3, 2);
    const Rgba colours[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255},
                            {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 255, 255, 255}};
    for (int i = 0; i < 6; ++i)
        corners.set(i % 3, i / 3, colours[i]);
    writeTestPng(folder / "data/corners.png", 3, 2, 4, corners.pixels);
    writeFixtureShow(folder.path());
    WorkingFolder inside(folder.path());
    ShaderProgram* program = loadShaderProgram("data/textlayout.frag", "data/layer.vert");
    TextureName cornersTexture = loadTexture("data/corners.png");

    ScreenQuad* first = createScreenQuad();
    GLint bound = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), first->vertexArray) << "creation leaves the quad's vertex array bound";
    EXPECT_EQ(first->texCoordBuffer, first->positionBuffer + 1) << "one request for two names";
    ScreenQuad* second = createScreenQuad();
    EXPECT_NE(second->vertexArray, first->vertexArray);
    EXPECT_NE(second->positionBuffer, first->positionBuffer);

    RenderTarget target(3, 2);
    for (const ScreenQuad* quad : {first, second}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBindVertexArray(0);
        program->use();
        glUniform1f(glGetUniformLocation(program->program, "zscore"), 0.0f);
        program->bindTexture(cornersTexture);
        drawScreenQuad(*quad);
        EXPECT_TRUE(imagesMatch(readTarget(target), corners, 1, 0.0, "ScreenQuad-upright"));
    }
}

TEST_F(ShowScenesTest, AssemblyBuildsLyricsThenPhotoSharingTheRegistrysRecords)
{
    FixtureShow show;
    show.lines[0].start = 1.25;
    show.lines[0].end = 3.8;
    show.lines[86].start = 40.0;
    show.lines[86].end = 41.0;
    MyDemo* demo = build(show);
    ASSERT_EQ(demo->scenes.size(), 2u);
    auto* lyrics = dynamic_cast<Lyrics*>(demo->scenes[0]);
    auto* photo = dynamic_cast<PhotoCompo*>(demo->scenes[1]);
    ASSERT_NE(lyrics, nullptr);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(lyrics->startTime, kLyricsStart);
    EXPECT_EQ(lyrics->endTime, kLyricsEnd);
    EXPECT_EQ(photo->startTime, kPhotoStart);
    EXPECT_EQ(photo->endTime, kPhotoEnd);
    EXPECT_EQ(lyrics->textProgram, photo->photoProgram);
    EXPECT_EQ(lyrics->backgroundProgram, photo->backgroundProgram);
    EXPECT_NE(lyrics->textProgram, lyrics->backgroundProgram);
    EXPECT_NE(lyrics->quad, photo->quad) << "each scene owns its quad";

    // The first pair times entry 0, which shows image "086"; the last pair goes with "000".
    EXPECT_EQ(lyrics->lineStart[0], 1.25);
    EXPECT_EQ(lyrics->lineEnd[0], 3.8);
    EXPECT_EQ(lyrics->lineStart[86], 40.0);
    EXPECT_EQ(readTexture(lyrics->lineTextures[0]).at(0, 0), show.lines[0].colour);
    EXPECT_EQ(readTexture(lyrics->lineTextures[86]).at(0, 0), show.lines[86].colour);
    EXPECT_EQ(readTexture(photo->photoTextures[0]).at(0, 0), show.photo);
}

TEST_F(ShowScenesTest, ActiveLinesShowOverTheBackgroundLaterOnesOnTop)
{
    FixtureShow show;
    show.lines[0] = {1.0, 5.0, {255, 0, 0, 255}, 0.0f, 2.0f / 3.0f};
    show.lines[1] = {2.0, 6.0, {0, 255, 0, 255}, 1.0f / 3.0f, 1.0f};
    show.lines[2] = {7.0, 8.0, {255, 255, 255, 128}, 0.0f, 1.0f};
    show.lines[3] = {9.0, 9.0, {0, 0, 255, 255}, 0.0f, 1.0f};
    show.lines[4] = {10.0, 9.5, {0, 0, 255, 255}, 0.0f, 1.0f};
    show.lines[5] = {45.0, 50.0, {0, 0, 255, 255}, 0.0f, 1.0f};
    MyDemo* demo = build(show);

    const Rgba red = {255, 0, 0, 255};
    const Rgba green = {0, 255, 0, 255};
    auto background = fixtureBackground;
    const FrameCase cases[] = {
        {"before-first", 0.5, {{kLeft, kRow, background(0.5)}, {kRight, kRow, background(0.5)}}},
        {"at-start", 1.0, {{kLeft, kRow, background(1.0)}, {kMiddle, kRow, background(1.0)}}},
        {"one-line", 1.5, {{kLeft, kRow, red}, {kMiddle, kRow, red}, {kRight, kRow, background(1.5)}}},
        {"overlap", 3.0, {{kLeft, kRow, red}, {kMiddle, kRow, green}, {kRight, kRow, green}}},
        {"at-end", 5.0, {{kLeft, kRow, background(5.0)}, {kMiddle, kRow, green}}},
        {"translucent", 7.5, {{kMiddle, kRow, blend({255, 255, 255, 128}, background(7.5))}}},
        {"empty-and-inverted", 9.0, {{kMiddle, kRow, background(9.0)}}},
        {"inverted", 9.7, {{kMiddle, kRow, background(9.7)}}},
    };
    for (const FrameCase& c : cases)
        expectFrame(*demo, c.time, c.probes, c.name);
}

// A texture with no image samples as opaque black; drawn over the whole frame like the photo,
// it would hide the background and every line below it.
TEST_F(ShowScenesTest, ImagesThatDidNotLoadDrawNothing)
{
    FixtureShow show;
    const Rgba red = {255, 0, 0, 255};
    show.lines[0] = {1.0, 5.0, red, 0.0f, 2.0f / 3.0f};
    show.lines[1] = {2.0, 6.0, {0, 255, 0, 255}, 1.0f / 3.0f, 1.0f};
    MyDemo* demo = build(show, nullptr, {"data/lines/085.png", "data/photo.png"});
    auto background = fixtureBackground;
    const FrameCase cases[] = {
        {"missing-line-alone", 5.5, {{kLeft, kRow, background(5.5)}, {kRight, kRow, background(5.5)}}},
        {"missing-line-over-another", 3.0, {{kLeft, kRow, red}, {kMiddle, kRow, red}, {kRight, kRow, background(3.0)}}},
        {"missing-photo", 50.0, {{kLeft, kRow, background(50.0)}, {kRight, kRow, background(50.0)}}},
    };
    for (const FrameCase& c : cases)
        expectFrame(*demo, c.time, c.probes, c.name);
}

TEST_F(ShowScenesTest, PhotoShowsOverItsBackgroundAndNothingDrawsOnTheBoundary)
{
    FixtureShow show;
    show.lines[0] = {40.0, 50.0, {255, 0, 0, 255}, 0.0f, 1.0f};
    MyDemo* demo = build(show);
    const Rgba untouched = {255, 0, 255, 255};
    expectFrame(*demo, 50.0, {{kLeft, kRow, show.photo}, {kRight, kRow, fixtureBackground(50.0)}}, "photo");
    expectFrame(*demo, kPhotoStart, {{kLeft, kRow, untouched}, {kRight, kRow, untouched}}, "boundary");
    expectFrame(*demo, kPhotoEnd, {{kLeft, kRow, untouched}}, "after-the-show");
    expectFrame(*demo, 44.9, {{kLeft, kRow, {255, 0, 0, 255}}}, "line-until-the-switch");
}

// A scene list sets the timetable: each scene draws strictly inside its own window, in list
// order, nothing draws in a gap or on a boundary, the lyrics scenes share the entries of the
// whole timing file (5 here, so the first shows "004"), a photo scene draws its textures as
// layers, and a line the show cannot use is skipped with a word.
TEST_F(ShowScenesTest, AListDrawsEachSceneInItsWindowAndNothingInItsGaps)
{
    FixtureShow show;
    show.sceneList =
        "# lyrics, a photo of two layers, a gap, lyrics again, a photo\r\n"
        "Lyrics 0 10\r\n"
        "PhotoCompo 10 20 photo photo2\r\n"
        "\r\n"
        "Lyrics 25 30\r\n"
        "PhotoCompo 30 40\r\n"
        "Photo 40 50\r\n";
    show.timingText = "1 5\n6 12\n26 29\n31 35\n8 27\n";
    std::string err;
    MyDemo* demo = build(show, &err);
    EXPECT_EQ(err, "sovane05: data/scenes.txt:7: unknown scene kind \"Photo\": the kinds are Lyrics and PhotoCompo; "
                   "the line is skipped\n");
    ASSERT_EQ(demo->scenes.size(), 4u);
    auto* first = dynamic_cast<Lyrics*>(demo->scenes[0]);
    auto* layered = dynamic_cast<PhotoCompo*>(demo->scenes[1]);
    auto* again = dynamic_cast<Lyrics*>(demo->scenes[2]);
    auto* plain = dynamic_cast<PhotoCompo*>(demo->scenes[3]);
    ASSERT_TRUE(first && layered && again && plain);
    EXPECT_EQ(first->lineCount, 5);
    EXPECT_EQ(again->lineTextures, first->lineTextures) << "the lyrics scenes share their entries";
    EXPECT_EQ(again->lineStart, first->lineStart);
    EXPECT_NE(again->quad, first->quad) << "each scene owns its quad";
    EXPECT_EQ(layered->photoCount, 2);
    EXPECT_EQ(plain->photoCount, 1);
    EXPECT_EQ(std::pair(again->startTime, again->endTime), std::pair(25.0, 30.0));

    // Of five entries, entry k shows the texture named 4 − k: the fixture's lines 82 to 86.
    auto entry = [&](int k) { return show.lines[size_t(kLyricLineCount - 5 + k)].colour; };
    const Rgba untouched = {255, 0, 255, 255};
    auto background = fixtureBackground;
    const FrameCase cases[] = {
        {"list-first-entry", 3.0, {{kLeft, kRow, entry(0)}}},
        {"list-later-entry-on-top", 9.0, {{kLeft, kRow, entry(4)}}},
        {"list-boundary", 10.0, {{kLeft, kRow, untouched}, {kRight, kRow, untouched}}},
        {"list-photo-layers", 11.0, {{kLeft, kRow, show.photo}, {kRight, kRow, show.secondPhoto}}},
        {"list-entry-hidden-under-a-photo", 11.5, {{kMiddle - 1, kRow, show.photo}}},
        {"list-gap", 22.0, {{kLeft, kRow, untouched}, {kRight, kRow, untouched}}},
        {"list-second-lyrics", 26.5, {{kLeft, kRow, entry(4)}}},
        {"list-second-lyrics-alone", 28.0, {{kLeft, kRow, entry(2)}}},
        {"list-end-of-second-lyrics", 29.5, {{kLeft, kRow, background(29.5)}}},
        {"list-default-photo", 31.0, {{kLeft, kRow, show.photo}, {kRight, kRow, background(31.0)}}},
        {"list-skipped-line", 45.0, {{kLeft, kRow, untouched}}},
    };
    for (const FrameCase& c : cases)
        expectFrame(*demo, c.time, c.probes, c.name);

    // Drawn at chosen moments, after the last window the picture stays at that window's end.
    RenderTarget target(kFrameWidth, kFrameHeight);
    drawShowMoment(*demo, 60.0);
    Image held = readTarget(target);
    EXPECT_TRUE(colourNear(held.at(kLeft, kRow), show.photo, 2)) << held.at(kLeft, kRow);
    EXPECT_TRUE(colourNear(held.at(kRight, kRow), background(40.0), 2)) << held.at(kRight, kRow);
    drawShowMoment(*demo, 22.0);
    EXPECT_EQ(readTarget(target).at(kLeft, kRow), (Rgba{0, 0, 0, 0})) << "a gap is cleared";
}

// A scene list that cannot be read, or that keeps no scene, draws nothing; the stock timetable
// would show another show's images.
TEST_F(ShowScenesTest, AListThatCannotBeUsedDrawsNoScene)
{
    struct Case {
        std::string name;
        std::string list;  // empty: a folder in its place
        std::string message;
    };
    const Case cases[] = {
        {"folder", "",
         "sovane05: data/scenes.txt: cannot read the scene list (Is a directory); the music plays over black\n"},
        {"comments only", "# nothing yet\n",
         "sovane05: data/scenes.txt: no scene to draw; the music plays over black\n"},
        {"overlapping", "Lyrics 0 10\nLyrics 5 20\n",
         "sovane05: data/scenes.txt:2: the window 5 to 20 s overlaps line 1's, 0 to 10 s: two scenes that both clear "
         "the frame would hide each other; the line is skipped\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureShow show;
        show.lines[0] = {1.0, 15.0, {255, 0, 0, 255}, 0.0f, 1.0f};
        show.sceneList = c.list;
        std::filesystem::remove_all(folder / "data");
        if (c.list.empty())
            std::filesystem::create_directories(folder / "data/scenes.txt");
        std::string err;
        MyDemo* demo = build(show, &err);
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(demo->scenes.size(), c.name == "overlapping" ? 1u : 0u);
    }
}

TEST_F(ShowScenesTest, WarmUpLeavesTheFrameBufferClearedAndTheFramesAsTheyWere)
{
    FixtureShow show;
    show.lines[0] = {1.0, 5.0, {255, 0, 0, 255}, 0.0f, 2.0f / 3.0f};
    MyDemo* demo = build(show);
    RenderTarget target(kFrameWidth, kFrameHeight);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    warmUpShow(*demo);
    Image cleared = readTarget(target);
    for (int x : {kLeft, kMiddle, kRight})
        EXPECT_EQ(cleared.at(x, kRow), (Rgba{0, 0, 0, 0})) << "column " << x;
    expectFrame(*demo, 1.5, {{kLeft, kRow, {255, 0, 0, 255}}, {kRight, kRow, fixtureBackground(1.5)}}, "after-warm-up");
    expectFrame(*demo, 50.0, {{kLeft, kRow, show.photo}}, "photo-after-warm-up");
}

TEST_F(ShowScenesTest, MissingOrShortTimingFilesHideLinesAndSaySo)
{
    FixtureShow visible;
    for (FixtureLine& line : visible.lines) {
        line.start = 1.0;
        line.end = 2.0;
    }
    std::string beyond;
    for (int pair = 0; pair < kLyricLineCount; ++pair)
        beyond += "1 2\n";
    beyond += "not read\n";
    struct Case {
        std::string name;
        bool writeTiming;
        std::string timingText;
        std::string message;
        std::string sceneList = {};
        std::optional<Rgba> first = {};  // the first line's colour, when it is not entry 0's
    };
    const Case cases[] = {
        {"missing", false, "",
         "sovane05: data/texttiming.txt: cannot open the lyric timing (No such file or directory); every lyric line "
         "stays hidden\n"},
        {"short", true, "0.5 3\nx 3\n0.5 3\n",
         "sovane05: data/texttiming.txt: reading stopped at pair 2 of 87 (not a number); pairs 2 to 87 stay hidden\n"},
        {"folder", false, "",
         "sovane05: data/texttiming.txt: cannot open the lyric timing (Is a directory); every lyric line stays hidden\n"},
        {"fifo", false, "",
         "sovane05: data/texttiming.txt: cannot open the lyric timing (not a regular file); every lyric line stays "
         "hidden\n"},
        // The stock show reads 87 pairs, and nothing after them; all 87 show, the last on top.
        {"beyond-the-87th", true, beyond, "", "", visible.lines[kLyricLineCount - 1].colour},
        // With a scene list, every pair the file holds is an entry, and their count names them.
        {"listed-short", true, "0.5 3\n", "", "Lyrics 0 45\n", visible.lines[kLyricLineCount - 1].colour},
        {"listed-not-a-number", true, "0.5 3\nx 3\n0.5 3\n",
         "sovane05: data/texttiming.txt: pair 2 is not a number; the lines' images are named by how many pairs there "
         "are, so every lyric line stays hidden\n",
         "Lyrics 0 45\n", fixtureBackground(1.5)},
        {"listed-missing", false, "",
         "sovane05: data/texttiming.txt: cannot open the lyric timing (No such file or directory); every lyric line "
         "stays hidden\n",
         "Lyrics 0 45\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder / "data/texttiming.txt");
        std::filesystem::create_directories(folder / "data");
        if (c.name == "folder")
            std::filesystem::create_directory(folder / "data/texttiming.txt");
        if (c.name == "fifo")
            makeFifo(folder / "data/texttiming.txt");
        std::filesystem::remove(folder / "data/scenes.txt");
        visible.writeTiming = c.writeTiming;
        visible.timingText = c.timingText;
        visible.sceneList = c.sceneList;
        std::string err;
        MyDemo* demo = build(visible, &err);
        EXPECT_EQ(err, c.message);
        Rgba first = c.first.value_or(c.writeTiming ? visible.lines[0].colour : fixtureBackground(1.5));
        expectFrame(*demo, 1.5, {{kLeft, kRow, first}}, "timing-" + c.name);
    }
}

TEST_F(ShowScenesTest, MissingNamesEndTheAssemblyWithOutOfRange)
{
    writeFixtureShow(folder.path());
    struct Case {
        std::string config;
        std::string message;
    };
    const Case cases[] = {
        {"", "data/config.txt: no texture named \"086\""},
        {"Texture photo data/photo.png\n", "data/config.txt: no texture named \"086\""},
    };
    std::string full = readFile(folder / "data/config.txt");
    std::string withoutWhite = full.substr(full.find('\n') + 1);
    std::string withoutPhoto = full;
    withoutPhoto.erase(withoutPhoto.find("Texture photo"), std::string("Texture photo data/photo.png\n").size());
    const Case more[] = {
        {withoutWhite, "data/config.txt: no shader program named \"white\""},
        {withoutPhoto, "data/config.txt: no texture named \"photo\""},
    };
    for (const auto* group : {&cases, &more}) {
        for (const Case& c : *group) {
            writeFile(folder / "data/config.txt", c.config);
            WorkingFolder inside(folder.path());
            MyDemo demo(kWidth, kHeight);
            try {
                demo.initialise();
                ADD_FAILURE() << "no error for config:\n" << c.config;
            } catch (const std::out_of_range& error) {
                EXPECT_EQ(error.what(), c.message);
            }
        }
    }
}
