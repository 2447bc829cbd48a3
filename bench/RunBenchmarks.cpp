// Benchmarks of the real programs as a user runs them, each beside its floor measured in the
// same run: sovane05-render's video export against rendering alone and encoding alone, and the
// pacing of a whole run of the show, every frame timed from outside, its longest frame against
// its median. Each benchmark's label is its row of the table that scripts/bench prints.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "bench/BenchFigures.h"
#include "platform/gl/OffscreenContext.h"
#include "rules/ShowTimeline.h"
#include "tests/support/Process.h"
#include "tests/support/ShowRun.h"
#include "tests/support/TempDir.h"
#include "tools/lib/gl/FrameReader.h"
#include "tools/lib/gl/RenderTarget.h"
#include "tools/lib/gl/ShowBuild.h"
#include "tools/render/FrameTimes.h"
#include "tools/render/VideoEncoder.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kFps = 60.0;
// Two seconds across the chorus's downbeat: the last lyric lines, the flash and the photo.
constexpr double kFrom = 44.5;
constexpr double kTo = 46.5;

// CPU seconds, user and system, of this process or of its children that have been waited for.
double cpuSeconds(int who)
{
    rusage usage = {};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Draws the video's frames and reads each back as the tool does, handing the pixels to `use`.
void renderFrames(cg_engine::Demo& demo, FrameReader& reader, int64_t count,
                  const std::function<void(std::span<const uint8_t>)>& use)
{
    int64_t drawn = 0;
    int64_t taken = 0;
    while (taken < count) {
        if (drawn < count && !reader.full()) {
            drawShowMoment(demo, videoFrameTime(kFrom, kFps, drawn++));
            reader.start();
            continue;
        }
        reader.takeOldest(use);
        ++taken;
    }
}

// The export of the video, in turns with its two floors: the same frames rendered and read back
// with nothing else, and the same number of frames (those very frames, kept in memory) encoded
// by the same ffmpeg command with nothing else. Rendering and encoding overlap in the tool, so
// its time is held to the larger floor.
void VideoExport(benchmark::State& state)
{
    OffscreenContext context = createOffscreenContext(64, 64);
    if (!context.failure.empty()) {
        state.SkipWithError(context.failure.c_str());
        return;
    }
    TempDir output;
    int64_t count = videoFrameCount(kFrom, kTo, kFps);
    double tool = 0.0, rendering = 0.0, encoding = 0.0;
    double toolCpu = 0.0, renderingCpu = 0.0, encodingCpu = 0.0;
    for (auto _ : state) {
        double childrenCpu = cpuSeconds(RUSAGE_CHILDREN);
        ProcessResult run = runProcess({SOVANE05_RENDER_TOOL, "--video", (output / "show.mp4").string(), "--from",
                                        std::to_string(kFrom), "--to", std::to_string(kTo), "--force"},
                                       {}, SOVANE05_SOURCE_DIR, 900.0);
        if (run.exitStatus != 0) {
            state.SkipWithError(("sovane05-render failed: " + run.err).c_str());
            return;
        }
        tool = run.seconds;
        toolCpu = cpuSeconds(RUSAGE_CHILDREN) - childrenCpu;

        WorkingFolder inside(SOVANE05_SOURCE_DIR);
        auto start = std::chrono::steady_clock::now();
        double ownCpu = cpuSeconds(RUSAGE_SELF);
        BuiltShow show = buildShow(kWidth, kHeight);
        RenderTarget target(kWidth, kHeight);
        target.bind();
        FrameReader reader(kWidth, kHeight);
        renderFrames(*show.demo, reader, count, [](std::span<const uint8_t> pixels) {
            benchmark::DoNotOptimize(pixels.data());
        });
        rendering = secondsSince(start);
        renderingCpu = cpuSeconds(RUSAGE_SELF) - ownCpu;

        std::vector<std::vector<uint8_t>> frames;
        renderFrames(*show.demo, reader, count, [&](std::span<const uint8_t> pixels) {
            frames.emplace_back(pixels.begin(), pixels.end());
        });
        VideoSettings settings;
        settings.width = kWidth;
        settings.height = kHeight;
        settings.fps = kFps;
        settings.from = kFrom;
        settings.to = kTo;
        settings.music = std::string(SOVANE05_SOURCE_DIR) + "/data/ywsf.mp3";
        settings.output = (output / "encoded.mp4").string();
        start = std::chrono::steady_clock::now();
        childrenCpu = cpuSeconds(RUSAGE_CHILDREN);
        VideoEncoder encoder(settings);
        for (const std::vector<uint8_t>& frame : frames)
            encoder.write(frame);
        std::string failure = encoder.finish();
        encoding = secondsSince(start);
        encodingCpu = cpuSeconds(RUSAGE_CHILDREN) - childrenCpu;
        if (!failure.empty()) {
            state.SkipWithError(("ffmpeg failed: " + failure).c_str());
            return;
        }
        state.SetIterationTime(tool);
    }
    char what[300];
    std::snprintf(what, sizeof what,
                  "`sovane05-render --video` at 1920×1080, 60 fps, %lld frames (%.1f–%.1f s); floors: rendering and "
                  "reading back %.1f s (%.1f s of CPU), encoding %.1f s (%.1f s of CPU); the tool and ffmpeg took "
                  "%.1f s of CPU",
                  (long long)count, kFrom, kTo, rendering, renderingCpu, encoding, encodingCpu, toolCpu);
    state.SetLabel(tableRow({what, tool, std::max(rendering, encoding), "s", 1.25}));
}
BENCHMARK(VideoExport)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

std::vector<double> readSwapMoments(const std::filesystem::path& path)
{
    std::vector<double> moments;
    std::ifstream file(path);
    for (double moment = 0.0; file >> moment;)
        moments.push_back(moment);
    return moments;
}

// The real show played through to its end on a 1920×1080 virtual display with the silent
// audio driver, every buffer swap timed by a preloaded library: each frame lasts from one swap
// to the next. A hitch, such as a program built where a new line first shows, is a frame far
// longer than the run's median.
void WholeRun(benchmark::State& state)
{
    TempDir output;
    std::filesystem::path swaps = output / "swaps.txt";
    FramePacing pacing, lyrics, photo;
    for (auto _ : state) {
        ShowRun run(SOVANE05_SOURCE_DIR, {.arguments = {},
                                          .environment = {"LD_PRELOAD=" SOVANE05_SWAP_TIMES_LIBRARY,
                                                          "SOVANE05_SWAP_TIMES=" + swaps.string()},
                                          .trace = false});
        ProcessResult result = run.finish(180.0);
        if (result.exitStatus != 0) {
            state.SkipWithError(("the show failed: " + result.err).c_str());
            return;
        }
        std::vector<double> moments = readSwapMoments(swaps);
        pacing = framePacing(moments);
        // The first frame is drawn at the start of the music, so a frame's end after it is close
        // to its show time.
        lyrics = framePacing(moments, kLyricsStart, kLyricsEnd);
        photo = framePacing(moments, kPhotoStart, kPhotoEnd);
        state.SetIterationTime(result.seconds);
    }
    char what[400];
    std::snprintf(what, sizeof what,
                  "the longest frame of a whole run of the show (%zu frames, 1920×1080 under Xvfb; the longest ends %.2f s "
                  "after the first frame), against the run's median frame; lyrics: median %.1f ms, longest %.1f ms "
                  "at %.2f s; photo: median %.1f ms, longest %.1f ms at %.2f s",
                  pacing.frames, pacing.longestEndsAt, lyrics.median * 1000.0, lyrics.longest * 1000.0,
                  lyrics.longestEndsAt, photo.median * 1000.0, photo.longest * 1000.0, photo.longestEndsAt);
    state.SetLabel(tableRow({what, pacing.longest * 1000.0, pacing.median * 1000.0, "ms", 2.0}));
}
BENCHMARK(WholeRun)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace
