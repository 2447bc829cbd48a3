// The real show on a fixture, traced with apitrace: the scenes it builds and their GL calls, in
// order, with the stock timetable and with a scene list; and in every presented frame the
// background gets the frame's show time, the scene of that time draws, and the lyric lines or
// photos drawn, their order, textures and "zscore" values follow the timing file and the list
// exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/ShowClock.h"
#include "rules/LyricLayers.h"
#include "rules/ShowTimeline.h"
#include "tests/support/ShowRun.h"
#include "tests/support/Trace.h"

namespace {

// apitrace prints floats to six significant digits.
constexpr float kPrintedPrecision = 1e-6f;

// The codes of textures that are no lyric line.
constexpr int kPhoto = -2;
constexpr int kSecondPhoto = -3;
constexpr int kUnknownTexture = -1;

struct LineDraw {
    int line;  // a lyric line, or one of the codes above
    float zscore;
    bool operator==(const LineDraw& other) const
    {
        return line == other.line && std::fabs(zscore - other.zscore) <= kPrintedPrecision;
    }
};
std::ostream& operator<<(std::ostream& out, const LineDraw& draw)
{
    return out << "line " << draw.line << " at zscore " << draw.zscore;
}

// What one presented frame drew, read back from its calls.
struct DrawnFrame {
    std::optional<float> time;
    std::optional<float> backgroundZscore;
    std::vector<LineDraw> lines;
};

int integerArgument(const TraceCall& call, std::string_view name)
{
    return std::atoi(call.argument(name).value_or("-1").c_str());
}

float floatArgument(const TraceCall& call, std::string_view name)
{
    return std::strtof(call.argument(name).value_or("nan").c_str(), nullptr);
}

// Follows the current program, uniform locations and the texture bound on unit 0 through one
// frame's calls. `layerOf` gives each texture's line, or a negative code for a photo.
DrawnFrame readFrame(std::span<const TraceCall> calls, int backgroundProgram, int textProgram,
                     const std::map<int, int>& layerOf)
{
    DrawnFrame frame;
    int program = 0;
    int texture = 0;
    float zscore = NAN;
    std::map<std::pair<int, int>, std::string> uniformAt;
    for (const TraceCall& call : calls) {
        if (call.name == "glUseProgram") {
            program = integerArgument(call, "program");
            zscore = NAN;
        } else if (call.name == "glGetUniformLocation") {
            std::string name = call.argument("name").value_or("");
            uniformAt[{program, std::atoi(call.result.c_str())}] = name.substr(1, name.size() - 2);
        } else if (call.name == "glUniform1f") {
            const std::string& uniform = uniformAt[{program, integerArgument(call, "location")}];
            float value = floatArgument(call, "v0");
            if (program == backgroundProgram && uniform == "time")
                frame.time = value;
            else if (program == backgroundProgram && uniform == "zscore")
                frame.backgroundZscore = value;
            else if (program == textProgram && uniform == "zscore")
                zscore = value;
        } else if (call.name == "glBindTexture") {
            texture = integerArgument(call, "texture");
        } else if (call.name == "glDrawArrays" && program == textProgram) {
            auto layer = layerOf.find(texture);
            frame.lines.push_back({layer == layerOf.end() ? kUnknownTexture : layer->second, zscore});
        }
    }
    return frame;
}

// A frame's drawing begins with its scene's clear. The first frame's calls also hold the
// start-up and its warm-up draws (show/ShowWarmUp.h), which end in a clear of their own.
std::span<const TraceCall> fromLastClear(std::span<const TraceCall> calls)
{
    for (size_t index = calls.size(); index-- > 0;) {
        if (calls[index].name == "glClear")
            return calls.subspan(index);
    }
    return calls;
}

// The GL calls of creating one scene's quad (show/ScreenQuad.cpp), the only GL calls a scene's
// construction makes.
const std::vector<std::string> kQuadCalls = {
    "glGenVertexArrays", "glBindVertexArray",     "glGenBuffers",       "glBindBuffer",
    "glBufferData",      "glVertexAttribPointer", "glEnableVertexAttribArray", "glBindBuffer",
    "glBufferData",      "glVertexAttribPointer", "glEnableVertexAttribArray",
};

// A scene as the frames must show it: its kind's background depth and, for a photo, its layers.
struct ExpectedScene {
    double start;
    double end;
    std::vector<int> photos;  // the layers' codes, first drawn first; empty for lyrics
};

struct TracedRun {
    std::string name;
    std::string sceneList;  // "" for the stock timetable
    std::vector<ExpectedScene> scenes;
};

void checkTracedRun(const TracedRun& traced)
{
    SCOPED_TRACE(traced.name);
    FixtureShow show;
    // Lines 5 and 70 hold the whole show, so every lyrics frame after t = 0 draws at least two
    // lines however few frames a loaded machine manages; the others come and go.
    const std::pair<int, std::pair<double, double>> windows[] = {
        {0, {0.2, 1.2}}, {1, {0.5, 1.5}}, {3, {0.6, 0.9}}, {2, {1.0, 1.0}}, {86, {0.3, 1.1}},
        {40, {1.0, 0.4}}, {4, {1.3, 50.0}}, {5, {0.0, 50.0}}, {70, {0.0, 50.0}},
    };
    for (auto [line, window] : windows) {
        show.lines[line].start = window.first;
        show.lines[line].end = window.second;
    }
    show.sceneList = traced.sceneList;
    ShowFolder folder(2.0, show);
    ShowRun run(folder.path(), {.arguments = {}, .environment = {}, .trace = true});
    ProcessResult result = run.finish(120.0);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(showLines(result.err), std::vector<std::string>{}) << "the show had something to say";

    Trace trace = readTrace(folder / "show.trace");
    // The fixture registers "white", then "textlayout", then "photo", the lines "086" to "000"
    // and "photo2": programs and texture names are handed out in that order.
    std::vector<int> programs;
    std::vector<int> textures;
    for (const TraceCall& call : trace.calls) {
        if (call.name == "glCreateProgram")
            programs.push_back(std::atoi(call.result.c_str()));
        if (call.name == "glGenTextures")
            textures.push_back(std::atoi(call.argument("textures").value_or("&0").substr(1).c_str()));
    }
    ASSERT_EQ(programs.size(), 2u);
    ASSERT_EQ(textures.size(), size_t(kLyricLineCount + 2));
    std::map<int, int> layerOf = {{textures[0], kPhoto}, {textures[kLyricLineCount + 1], kSecondPhoto}};
    for (int line = 0; line < kLyricLineCount; ++line)
        layerOf[textures[line + 1]] = line;

    ASSERT_FALSE(trace.frames().empty());
    std::span<const TraceCall> startUp = trace.frames().front();
    startUp = startUp.first(startUp.size() - fromLastClear(startUp).size());

    // Between the registry's last load and the warm-up, the scenes are built: each creates its
    // quad and makes no other GL call, in list order.
    auto warmUp = std::find_if(startUp.begin(), startUp.end(),
                               [](const TraceCall& call) { return call.name == "glGetTexLevelParameteriv"; });
    ASSERT_NE(warmUp, startUp.end());
    auto loaded = std::find_if(std::make_reverse_iterator(warmUp), startUp.rend(),
                               [](const TraceCall& call) { return call.name == "glPixelStorei"; });
    ASSERT_NE(loaded, startUp.rend());
    std::vector<std::string> assembly;
    for (auto call = loaded.base(); call != warmUp - 1; ++call)
        assembly.push_back(call->name);
    std::vector<std::string> expectedAssembly;
    for (size_t scene = 0; scene < traced.scenes.size(); ++scene)
        expectedAssembly.insert(expectedAssembly.end(), kQuadCalls.begin(), kQuadCalls.end());
    EXPECT_EQ(assembly, expectedAssembly);

    // The warm-up drew with both programs, the text program with a line's image and with the
    // photo, and cleared what it drew.
    std::set<std::pair<int, int>> warmedUp;  // program, texture
    int program = 0;
    int texture = 0;
    for (const TraceCall& call : startUp) {
        if (call.name == "glUseProgram")
            program = integerArgument(call, "program");
        else if (call.name == "glBindTexture")
            texture = integerArgument(call, "texture");
        else if (call.name == "glDrawArrays")
            warmedUp.insert({program, program == programs[1] ? texture : 0});
    }
    EXPECT_TRUE(warmedUp.count({programs[0], 0})) << "no warm-up draw of the background";
    EXPECT_TRUE(warmedUp.count({programs[1], textures[traced.sceneList.empty() ? 0 : kLyricLineCount + 1]}))
        << "no warm-up draw of the photo";
    EXPECT_TRUE(warmedUp.count({programs[1], textures[1]})) << "no warm-up draw of a line's image";

    size_t framesWithLines = 0;
    size_t maximumLines = 0;
    float previousTime = -1.0f;
    for (std::span<const TraceCall> calls : trace.frames()) {
        DrawnFrame frame = readFrame(fromLastClear(calls), programs[0], programs[1], layerOf);
        // A frame that no scene holds (t = 0, a gap of the list) draws nothing at all. The stock
        // timetable has no gap in this short show: every later frame draws.
        if (!frame.time) {
            if (traced.sceneList.empty()) {
                EXPECT_EQ(previousTime, -1.0f) << "a frame after t = 0 drew no background";
            }
            EXPECT_EQ(frame.lines, std::vector<LineDraw>{}) << "a frame without a scene drew layers";
            continue;
        }
        EXPECT_GT(*frame.time, 0.0f);
        EXPECT_GE(*frame.time, previousTime) << "show time never goes back";
        previousTime = *frame.time;

        // The show time had millisecond steps; the uniform holds it in single precision.
        double time = std::round(double(*frame.time) * 1000.0) / 1000.0;
        ASSERT_EQ(float(time), *frame.time);
        auto scene = std::find_if(traced.scenes.begin(), traced.scenes.end(), [&](const ExpectedScene& expected) {
            return cg_engine::isActiveAt(expected.start, expected.end, time);
        });
        ASSERT_NE(scene, traced.scenes.end()) << "a frame drew at " << time << ", where no scene is";
        std::vector<LineDraw> expected;
        float zscore = scene->photos.empty() ? 0.1f : 0.09f;
        for (int photo : scene->photos) {
            expected.push_back({photo, zscore});
            zscore += -0.01f;
        }
        for (int line = 0; line < kLyricLineCount && scene->photos.empty(); ++line) {
            if (cg_engine::isActiveAt(show.lines[line].start, show.lines[line].end, time)) {
                expected.push_back({line, zscore});
                zscore += -0.01f;
            }
        }
        EXPECT_NEAR(frame.backgroundZscore.value_or(NAN), scene->photos.empty() ? kBackgroundZscore : 0.1f,
                    kPrintedPrecision);
        EXPECT_EQ(frame.lines, expected) << "at t = " << time;
        framesWithLines += scene->photos.empty() && !frame.lines.empty() ? 1 : 0;
        maximumLines = std::max(maximumLines, frame.lines.size());
    }
    // The music ends after 2 s and the frame that notices is still drawn: at least that one.
    EXPECT_GE(framesWithLines, 1u) << "the run must have shown lines to check";
    EXPECT_GE(maximumLines, 2u) << "and overlapping ones";
}

}  // namespace

// Without a scene list the show is built as it always was: two scenes, lyrics then photo,
// nothing more. With one, a scene per line; a frame in a gap of the list draws nothing.
TEST(ShowScenesTrace, EveryFrameDrawsTheSceneAndLinesOfItsTimeInOrderWithFallingZscores)
{
    const TracedRun runs[] = {
        {"stock timetable", "", {{kLyricsStart, kLyricsEnd, {}}, {kPhotoStart, kPhotoEnd, {kPhoto}}}},
        {"scene list",
         "Lyrics 0 0.7\nPhotoCompo 0.7 1.1 photo2 photo\nLyrics 1.4 2.5\n",
         {{0.0, 0.7, {}}, {0.7, 1.1, {kSecondPhoto, kPhoto}}, {1.4, 2.5, {}}}},
    };
    for (const TracedRun& run : runs)
        checkTracedRun(run);
}
