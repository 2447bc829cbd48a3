// Benchmarks of a show made of a whole song (bench/MadeShow.h: four minutes, 400 entries, two
// pictures), each beside the stock show's figure for the same work, measured in turns within the
// same run: the start-up, the textures it uploads, a lyric frame at the same number of drawn
// lines, and the rendering of an export's frames spread over the whole show. The scan of 400
// windows a frame, and the photo scenes' textures, must cost nothing visible. Each benchmark's
// label is its row of the table that scripts/bench prints.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <stb_image.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "bench/BenchFigures.h"
#include "bench/MadeShow.h"
#include "engine/SceneDispatch.h"
#include "engine/ShowClock.h"
#include "rules/ConfigLine.h"
#include "rules/LyricLayers.h"
#include "rules/ShowTimeline.h"
#include "show/Lyrics.h"
#include "show/MyDemo.h"
#include "show/ShowBuild.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tools/lib/gl/FrameReader.h"
#include "tools/lib/gl/RenderTarget.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kTextureBudgetMiB = 96.0;

const std::string& contextFailure()
{
    return sharedContextFailure(kWidth, kHeight);
}

// The made show, or why the benchmark cannot run.
const MadeShow* madeOrSkip(benchmark::State& state)
{
    if (!contextFailure().empty()) {
        state.SkipWithError(contextFailure().c_str());
        return nullptr;
    }
    const MadeShow& made = madeShow(SOVANE05_MAKE_TOOL);
    if (!made.failure.empty()) {
        state.SkipWithError(made.failure.c_str());
        return nullptr;
    }
    return &made;
}

double millisecondsOf(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// initialise() of the made show, in turns with the stock show's; each keeps its GL objects, as
// the show does, so a few runs are enough.
void MadeInitialise(benchmark::State& state)
{
    const MadeShow* made = madeOrSkip(state);
    if (made == nullptr)
        return;
    std::vector<double> madeTimes, stockTimes;
    for (auto _ : state) {
        {
            WorkingFolder inside(made->folder);
            madeTimes.push_back(millisecondsOf([] { MyDemo(kWidth, kHeight).initialise(); }));
        }
        WorkingFolder inside(SOVANE05_SOURCE_DIR);
        stockTimes.push_back(millisecondsOf([] { MyDemo(kWidth, kHeight).initialise(); }));
        state.SetIterationTime(madeTimes.back() / 1000.0);
    }
    state.SetLabel(tableRow({"a made show of 4 minutes and 400 entries: `initialise()`, cold shader compiles; floor: "
                             "the stock show's",
                             median(madeTimes), median(stockTimes), "ms", 5.0}));
}
BENCHMARK(MadeInitialise)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

// The texture memory the made show's config uploads, width × height × 4 of every image.
void MadeTextures(benchmark::State& state)
{
    const MadeShow* made = madeOrSkip(state);
    if (made == nullptr)
        return;
    double bytes = 0.0;
    int textures = 0;
    for (auto _ : state) {
        WorkingFolder inside(made->folder);
        bytes = 0.0;
        textures = 0;
        std::string config = readFile("data/config.txt");
        for (std::string_view line : configLines(config)) {
            ConfigLine parsed = parseConfigLine(line);
            if (parsed.outcome != ConfigLine::Outcome::Entry || parsed.entry.kind != ResourceKind::Texture)
                continue;
            int width = 0, height = 0, channels = 0;
            if (stbi_info(parsed.entry.path.c_str(), &width, &height, &channels) != 0)
                bytes += 4.0 * width * height;
            ++textures;
        }
    }
    char what[200];
    std::snprintf(what, sizeof what,
                  "a made show of 4 minutes and 400 entries: texture memory of its %d textures (width × height × 4); "
                  "floor: the budget",
                  textures);
    state.SetLabel(tableRow({what, bytes / (1 << 20), kTextureBudgetMiB, "MiB", 1.0}));
}
BENCHMARK(MadeTextures)->Iterations(1);

// Both shows built into one 1920×1080 target, warmed up there.
struct TwoShows {
    std::unique_ptr<RenderTarget> target;
    MyDemo* made = nullptr;
    MyDemo* stock = nullptr;
};

TwoShows& twoShows(const MadeShow& made)
{
    static TwoShows shows = [&] {
        TwoShows built;
        built.target = std::make_unique<RenderTarget>(kWidth, kHeight);
        built.target->bind();
        {
            WorkingFolder inside(made.folder);
            built.made = buildShow(kWidth, kHeight).demo.release();
        }
        WorkingFolder inside(SOVANE05_SOURCE_DIR);
        built.stock = buildShow(kWidth, kHeight).demo.release();
        return built;
    }();
    return shows;
}

// Both shows, or null after saying why a benchmark cannot run.
TwoShows* bothOrSkip(benchmark::State& state, const MadeShow& made)
{
    TwoShows& shows = twoShows(made);
    if (shows.made == nullptr || shows.stock == nullptr) {
        state.SkipWithError("a show could not be built");
        return nullptr;
    }
    return &shows;
}

// The first moment of a lyrics scene of `demo` when exactly `lines` lines show, or -1.
double momentWith(const MyDemo& demo, int lines)
{
    for (const cg_engine::Scene* scene : demo.scenes) {
        auto* lyrics = dynamic_cast<const Lyrics*>(scene);
        if (lyrics == nullptr)
            continue;
        std::vector<double> edges =
            lyricWindowEdges(lyrics->lineStart, lyrics->lineEnd, lyrics->lineCount, lyrics->startTime, lyrics->endTime);
        for (size_t i = 0; i + 1 < edges.size(); ++i) {
            double middle = (edges[i] + edges[i + 1]) / 2.0;
            int shown = 0;
            forEachActiveLine(lyrics->lineStart, lyrics->lineEnd, lyrics->lineCount, middle, [&](int, float) { ++shown; });
            if (shown == lines)
                return middle;
        }
    }
    return -1.0;
}

// A lyric frame of the made show, whose scene scans 400 windows, in turns with a lyric frame of
// the stock show (87 windows) drawing as many lines.
void MadeLyricFrame(benchmark::State& state)
{
    const MadeShow* made = madeOrSkip(state);
    TwoShows* built = made != nullptr ? bothOrSkip(state, *made) : nullptr;
    if (built == nullptr)
        return;
    TwoShows& shows = *built;
    int lines = 4;
    double madeTime = momentWith(*shows.made, lines);
    double stockTime = momentWith(*shows.stock, lines);
    if (madeTime < 0.0 || stockTime < 0.0) {
        state.SkipWithError("no moment with four lines in both shows");
        return;
    }
    shows.target->bind();
    std::vector<double> madeTimes, stockTimes;
    for (auto _ : state) {
        madeTimes.push_back(millisecondsOf([&] { cg_engine::renderActiveScenes(*shows.made, madeTime); }));
        stockTimes.push_back(millisecondsOf([&] { cg_engine::renderActiveScenes(*shows.stock, stockTime); }));
        state.SetIterationTime(madeTimes.back() / 1000.0);
    }
    char what[200];
    std::snprintf(what, sizeof what,
                  "a made show's lyric frame at 1920×1080 (%.2f s, %d lines of 400); floor: the stock show's lyric frame "
                  "with as many lines (%.2f s)",
                  madeTime, lines, stockTime);
    state.SetLabel(tableRow({what, median(madeTimes), median(stockTimes), "ms", 1.1}));
}
BENCHMARK(MadeLyricFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();

// Drawing and reading back `count` frames spread evenly over the show, as an export does.
double millisecondsPerFrame(MyDemo& demo, FrameReader& reader, double seconds, int count)
{
    auto start = std::chrono::steady_clock::now();
    int drawn = 0;
    int taken = 0;
    while (taken < count) {
        if (drawn < count && !reader.full()) {
            drawShowMoment(demo, seconds * (drawn++ + 0.5) / count);
            reader.start();
            continue;
        }
        reader.takeOldest([](std::span<const uint8_t> pixels) { benchmark::DoNotOptimize(pixels.data()); });
        ++taken;
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / count;
}

// The rendering of a whole-song export, frames spread over the whole made show, in turns with
// the same over the whole stock show: the export's frames a second follow from it.
void MadeRendering(benchmark::State& state)
{
    const MadeShow* made = madeOrSkip(state);
    TwoShows* built = made != nullptr ? bothOrSkip(state, *made) : nullptr;
    if (built == nullptr)
        return;
    TwoShows& shows = *built;
    constexpr int kFrames = 120;
    shows.target->bind();
    FrameReader reader(kWidth, kHeight);
    std::vector<double> madeTimes, stockTimes;
    for (auto _ : state) {
        madeTimes.push_back(millisecondsPerFrame(*shows.made, reader, made->seconds, kFrames));
        stockTimes.push_back(millisecondsPerFrame(*shows.stock, reader, 57.9, kFrames));
        state.SetIterationTime(madeTimes.back() * kFrames / 1000.0);
    }
    char what[240];
    std::snprintf(what, sizeof what,
                  "a made show's export: drawing and reading back %d frames at 1920×1080 spread over its 4 minutes "
                  "(%.1f frames/s); floor: the same over the stock show (%.1f frames/s)",
                  kFrames, 1000.0 / median(madeTimes), 1000.0 / median(stockTimes));
    state.SetLabel(tableRow({what, median(madeTimes), median(stockTimes), "ms a frame", 1.1}));
}
BENCHMARK(MadeRendering)->Unit(benchmark::kSecond)->Iterations(3)->UseManualTime();

}  // namespace
