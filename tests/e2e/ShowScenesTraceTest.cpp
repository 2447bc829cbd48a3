// The real show on a fixture, traced with apitrace: in every presented frame the background
// gets the frame's show time, and the lyric lines drawn, their order, textures and "zscore"
// values follow the timing file exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/ShowClock.h"
#include "rules/LyricLayers.h"
#include "tests/support/ShowRun.h"
#include "tests/support/Trace.h"

namespace {

// apitrace prints floats to six significant digits.
constexpr float kPrintedPrecision = 1e-6f;

struct LineDraw {
    int line;  // -1 for a texture that is no lyric line
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
// frame's calls.
DrawnFrame readFrame(std::span<const TraceCall> calls, int backgroundProgram, int textProgram,
                     const std::map<int, int>& lineOfTexture)
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
            auto line = lineOfTexture.find(texture);
            frame.lines.push_back({line == lineOfTexture.end() ? -1 : line->second, zscore});
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

}  // namespace

TEST(ShowScenesTrace, EveryFrameDrawsTheLinesOfItsTimeInOrderWithFallingZscores)
{
    FixtureShow show;
    // Lines 5 and 70 hold the whole show, so every frame after t = 0 draws at least two lines
    // however few frames a loaded machine manages; the others come and go.
    const std::pair<int, std::pair<double, double>> windows[] = {
        {0, {0.2, 1.2}}, {1, {0.5, 1.5}}, {3, {0.6, 0.9}}, {2, {1.0, 1.0}}, {86, {0.3, 1.1}},
        {40, {1.0, 0.4}}, {4, {1.3, 50.0}}, {5, {0.0, 50.0}}, {70, {0.0, 50.0}},
    };
    for (auto [line, window] : windows) {
        show.lines[line].start = window.first;
        show.lines[line].end = window.second;
    }
    ShowFolder folder(2.0, show);
    ShowRun run(folder.path(), {.arguments = {}, .environment = {}, .trace = true});
    ProcessResult result = run.finish(120.0);
    ASSERT_EQ(result.exitStatus, 0) << result.err;

    Trace trace = readTrace(folder / "show.trace");
    // The fixture registers "white", then "textlayout", then "photo" and the lines "086" to
    // "000": programs and texture names are handed out in that order.
    std::vector<int> programs;
    std::vector<int> textures;
    for (const TraceCall& call : trace.calls) {
        if (call.name == "glCreateProgram")
            programs.push_back(std::atoi(call.result.c_str()));
        if (call.name == "glGenTextures")
            textures.push_back(std::atoi(call.argument("textures").value_or("&0").substr(1).c_str()));
    }
    ASSERT_EQ(programs.size(), 2u);
    ASSERT_EQ(textures.size(), size_t(kLyricLineCount + 1));
    std::map<int, int> lineOfTexture;
    for (int line = 0; line < kLyricLineCount; ++line)
        lineOfTexture[textures[line + 1]] = line;

    // Before the first frame, the warm-up drew with both programs, the text program with a
    // line's image and with the photo, and cleared what it drew.
    ASSERT_FALSE(trace.frames().empty());
    std::span<const TraceCall> startUp = trace.frames().front();
    startUp = startUp.first(startUp.size() - fromLastClear(startUp).size());
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
    EXPECT_TRUE(warmedUp.count({programs[1], textures[0]})) << "no warm-up draw of the photo";
    EXPECT_TRUE(warmedUp.count({programs[1], textures[1]})) << "no warm-up draw of a line's image";

    size_t framesWithLines = 0;
    size_t maximumLines = 0;
    float previousTime = -1.0f;
    for (std::span<const TraceCall> calls : trace.frames()) {
        DrawnFrame frame = readFrame(fromLastClear(calls), programs[0], programs[1], lineOfTexture);
        // No scene holds t = 0: frames in the first millisecond draw nothing at all. Every later
        // frame of this short show is a lyrics frame.
        if (!frame.time) {
            EXPECT_EQ(previousTime, -1.0f) << "a frame after t = 0 drew no background";
            EXPECT_EQ(frame.lines, std::vector<LineDraw>{}) << "a frame without a scene drew lines";
            continue;
        }
        EXPECT_GT(*frame.time, 0.0f);
        EXPECT_GE(*frame.time, previousTime) << "show time never goes back";
        previousTime = *frame.time;
        EXPECT_NEAR(frame.backgroundZscore.value_or(NAN), kBackgroundZscore, kPrintedPrecision);

        // The show time had millisecond steps; the uniform holds it in single precision.
        double time = std::round(double(*frame.time) * 1000.0) / 1000.0;
        ASSERT_EQ(float(time), *frame.time);
        std::vector<LineDraw> expected;
        float zscore = 0.1f;
        for (int line = 0; line < kLyricLineCount; ++line) {
            if (cg_engine::isActiveAt(show.lines[line].start, show.lines[line].end, time)) {
                expected.push_back({line, zscore});
                zscore += -0.01f;
            }
        }
        EXPECT_EQ(frame.lines, expected) << "at t = " << time;
        framesWithLines += frame.lines.empty() ? 0 : 1;
        maximumLines = std::max(maximumLines, frame.lines.size());
    }
    // The music ends after 2 s and the frame that notices is still drawn: at least that one.
    EXPECT_GE(framesWithLines, 1u) << "the run must have shown lines to check";
    EXPECT_GE(maximumLines, 2u) << "and overlapping ones";
}
