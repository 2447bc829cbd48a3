// Benchmarks of the real programs as a user runs them, each beside its floor measured in the
// same run: sovane05-render's video export against rendering alone and encoding alone, then
// against the route a user without this project takes (ffmpeg drawing an animated gradient and
// burning in the lyrics as ASS karaoke subtitles), and the pacing of a whole run of the show, every frame timed from outside, its longest frame against
// its median. Each benchmark's label is its row of the table that scripts/bench prints.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "bench/BenchFigures.h"
#include "platform/gl/OffscreenContext.h"
#include "rules/ShowTimeline.h"
#include "show/ShowBuild.h"
#include "tests/support/Process.h"
#include "tests/support/ShowRun.h"
#include "tests/support/TempDir.h"
#include "tools/lib/gl/FrameReader.h"
#include "tools/lib/gl/RenderTarget.h"
#include "tools/lib/lyrics/AssKaraoke.h"
#include "tools/lib/lyrics/LyricFile.h"
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

// The stock lyrics as ASS karaoke subtitles, written to `path`.
bool writeStockLyricsAsAss(const std::filesystem::path& path)
{
    std::ifstream source(std::string(SOVANE05_SOURCE_DIR) + "/authoring/lyrics.txt");
    std::string text((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    LyricParse parse = parseLyrics(text, "authoring/lyrics.txt");
    fitToShow(parse, "authoring/lyrics.txt");
    if (!parse.ok() || text.empty())
        return false;
    std::ofstream(path) << assKaraoke(parse.sheet);
    return true;
}

// The peer's ffmpeg command: our encoder's own command (the same encoder, settings, music and
// container), its raw frames replaced by ffmpeg's animated gradient source, with the subtitles
// burnt in by libass.
std::vector<std::string> peerCommand(const VideoSettings& settings, const std::filesystem::path& ass)
{
    std::vector<std::string> ours = ffmpegCommand(settings);
    auto rawInput = std::find(ours.begin(), ours.end(), "-f");
    auto rawInputEnd = std::find(rawInput, ours.end(), "pipe:0") + 1;
    char source[200];
    // Three dark blues and purples drifting slowly, as the show's own background does.
    std::snprintf(source, sizeof source,
                  "gradients=size=%dx%d:rate=%s:duration=%s:speed=0.02:c0=0x1c1430:c1=0x26307a:c2=0x3c2c48:"
                  "nb_colors=3:seed=5",
                  settings.width, settings.height, std::to_string(settings.fps).c_str(),
                  std::to_string(settings.to - settings.from).c_str());
    std::vector<std::string> peer(ours.begin(), rawInput);
    peer.insert(peer.end(), {"-f", "lavfi", "-i", source});
    auto audioFilter = std::find(rawInputEnd, ours.end(), "-af");
    peer.insert(peer.end(), rawInputEnd, audioFilter);
    peer.insert(peer.end(), {"-vf", "ass=filename=" + ass.string()});
    peer.insert(peer.end(), audioFilter, ours.end());
    return peer;
}

struct TimedRun {
    double seconds = 0.0;
    double cpu = 0.0;  // the process and its children
    std::string failure;
};

TimedRun timedRun(const std::vector<std::string>& command)
{
    double childrenCpu = cpuSeconds(RUSAGE_CHILDREN);
    ProcessResult run = runProcess(command, {}, SOVANE05_SOURCE_DIR, 900.0);
    TimedRun timed{run.seconds, cpuSeconds(RUSAGE_CHILDREN) - childrenCpu, ""};
    if (run.exitStatus != 0)
        timed.failure = command.front() + " failed: " + run.err;
    return timed;
}

// Our export of the show's first 20 s beside the peer's video of the same length, size, frame
// rate, encoder settings and music, in turns: the figure is our wall time, the floor the peer's.
void PeerExport(benchmark::State& state)
{
    constexpr double kPeerTo = 20.0;
    TempDir output;
    if (!writeStockLyricsAsAss(output / "lyrics.ass")) {
        state.SkipWithError("authoring/lyrics.txt does not read");
        return;
    }
    VideoSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    settings.fps = kFps;
    settings.from = 0.0;
    settings.to = kPeerTo;
    settings.music = std::string(SOVANE05_SOURCE_DIR) + "/data/ywsf.mp3";
    settings.output = (output / "peer.mp4").string();
    std::vector<std::string> peer = peerCommand(settings, output / "lyrics.ass");
    std::vector<std::string> ours = {SOVANE05_RENDER_TOOL, "--video", (output / "ours.mp4").string(), "--to",
                                     std::to_string(kPeerTo), "--force"};
    std::vector<double> oursSeconds, oursCpu, peerSeconds, peerCpu;
    for (auto _ : state) {
        TimedRun our = timedRun(ours);
        TimedRun their = timedRun(peer);
        if (!our.failure.empty() || !their.failure.empty()) {
            state.SkipWithError((our.failure + their.failure).c_str());
            return;
        }
        oursSeconds.push_back(our.seconds);
        oursCpu.push_back(our.cpu);
        peerSeconds.push_back(their.seconds);
        peerCpu.push_back(their.cpu);
        state.SetIterationTime(our.seconds);
    }
    const X264Settings x264 = x264Settings(settings.quality);
    char what[600];
    std::snprintf(what, sizeof what,
                  "`sovane05-render --video` of the first %.0f s (1920×1080, 60 fps, x264 %s CRF %d, AAC; %.1f s "
                  "of CPU, %.2f× real time) against the peer: ffmpeg's `gradients` source with the lyrics as ASS "
                  "karaoke burnt in by libass, the same settings (%.1f s of CPU, %.2f× real time); medians of %zu turns",
                  kPeerTo, std::string(x264.preset).c_str(), x264.crf, median(oursCpu), kPeerTo / median(oursSeconds), median(peerCpu),
                  kPeerTo / median(peerSeconds), oursSeconds.size());
    state.SetLabel(tableRow({what, median(oursSeconds), median(peerSeconds), "s", 1.0}));
}
BENCHMARK(PeerExport)->Unit(benchmark::kSecond)->Iterations(2)->UseManualTime();

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
        // The first frame is drawn at the start of the music, so a frame's end after it is close
        // to its show time, but late by as long as the first frame took. After the show's end
        // the show swaps empty frames in a fraction of a millisecond until it quits, a second or
        // more of them, which would make the median; the last half second is left out.
        constexpr double kShowEnd = kPhotoEnd - 0.5;
        pacing = framePacing(moments, 0.0, kShowEnd);
        lyrics = framePacing(moments, kLyricsStart, kLyricsEnd);
        photo = framePacing(moments, kPhotoStart, kShowEnd);
        state.SetIterationTime(result.seconds);
    }
    char what[600];
    std::snprintf(what, sizeof what,
                  "the longest frame of a whole run of the show (%zu frames, 1920×1080 under Xvfb; the longest ends %.2f s "
                  "after the first frame), against the run's median frame; lyrics: median %.1f ms, longest %.1f ms "
                  "(%.2f×) at %.2f s; photo: median %.1f ms (%.2f× the lyrics'), longest %.1f ms (%.2f×) at %.2f s",
                  pacing.frames, pacing.longestEndsAt, lyrics.median * 1000.0, lyrics.longest * 1000.0,
                  lyrics.longest / lyrics.median, lyrics.longestEndsAt, photo.median * 1000.0,
                  photo.median / lyrics.median, photo.longest * 1000.0, photo.longest / photo.median,
                  photo.longestEndsAt);
    state.SetLabel(tableRow({what, pacing.longest * 1000.0, pacing.median * 1000.0, "ms", 2.0}));
}
BENCHMARK(WholeRun)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace
