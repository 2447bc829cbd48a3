// sovane05-render against the show's own drawing: the stills the tool writes, run as its own
// process on a fixture show, are the frames the per-frame dispatch draws here for the same
// moments and data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/SceneDispatch.h"
#include "show/MyDemo.h"
#include "tests/support/FixtureShow.h"
#include "tests/support/GlTest.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

class RenderToolFrames : public GlTest {};

TEST_F(RenderToolFrames, StillsAreTheFramesTheShowsDispatchDraws)
{
    constexpr int kFrameWidth = 96;
    constexpr int kFrameHeight = 54;
    TempDir folder;
    FixtureShow show;
    show.lines[5] = {10.0, 30.0, {250, 30, 90, 255}, 0.25f, 0.75f};
    show.lines[6] = {15.0, 30.0, {20, 200, 60, 255}, 0.5f, 1.0f};
    writeFixtureShow(folder.path(), show);
    // A photo whose top differs from its bottom, so rows in the wrong order cannot pass.
    writeTestPng(folder / "data/photo.png", 1, 2, 4, {255, 0, 0, 255, 0, 0, 255, 96});

    // Three moments, so the tool's read-back buffers each take a second turn.
    const std::vector<double> moments = {20.0, 50.0, 12.0};
    std::vector<std::string> command = {SOVANE05_RENDER_TOOL, "-o", "frame-%d.png", "--size", "96x54"};
    for (double moment : moments)
        command.insert(command.end(), {"--at", std::to_string(moment)});
    ProcessResult run = runProcess(command, {}, folder.path(), 120.0);
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    WorkingFolder inside(folder.path());
    MyDemo* demo = new MyDemo(kFrameWidth, kFrameHeight);
    demo->initialise();
    RenderTarget target(kFrameWidth, kFrameHeight);
    for (size_t k = 0; k < moments.size(); ++k) {
        target.bind();
        cg_engine::renderActiveScenes(*demo, moments[k]);
        Image expected = readTarget(target);
        // A window shows no alpha, and neither does the still.
        for (size_t i = 3; i < expected.pixels.size(); i += 4)
            expected.pixels[i] = 255;
        Image still = loadImage((folder / ("frame-" + std::to_string(k) + ".png")).string());
        EXPECT_TRUE(imagesMatch(still, expected, 2, 0.5, "RenderTool-" + std::to_string(k)))
            << "the still of t = " << moments[k];
    }
}
