// Benchmarks of the show with its own data on Mesa's software renderer at 1920×1080: the
// start-up (initialise(), which must stay within 1.0 s), a frame of each scene, and the
// GL-free parsers. Run from anywhere: build/<dir>/bench/show_benchmarks
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <cstdlib>
#include <string>

#include "engine/SceneDispatch.h"
#include "resources/ConfigLine.h"
#include "resources/Mesh.h"
#include "show/LyricLayers.h"
#include "show/Lyrics.h"
#include "show/MyDemo.h"
#include "show/ShowGlState.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tests/support/TimingText.h"
#include "tools/common/OffscreenContext.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

const std::string& contextFailure()
{
    static const std::string failure = [] {
        // Start-up is measured cold, as on a first run: Mesa's shader cache would skip compiles.
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        std::string why = createOffscreenContext(kScreenWidth, kScreenHeight).failure;
        if (why.empty())
            setShowGlState();
        return why;
    }();
    return failure;
}

MyDemo* buildShow()
{
    WorkingFolder inside(SOVANE05_SOURCE_DIR);
    MyDemo* demo = new MyDemo(kScreenWidth, kScreenHeight);
    demo->initialise();
    glFinish();
    return demo;
}

// The start-up that happens before the music begins: every resource loaded, both scenes built.
// Each run keeps its GL objects, as the show does, so a few runs are enough.
void Initialise(benchmark::State& state)
{
    if (!contextFailure().empty()) {
        state.SkipWithError(contextFailure().c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(buildShow());
}
BENCHMARK(Initialise)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// One whole frame at the show time given in milliseconds, finished on the renderer.
void Frame(benchmark::State& state)
{
    if (!contextFailure().empty()) {
        state.SkipWithError(contextFailure().c_str());
        return;
    }
    static MyDemo* demo = buildShow();
    double time = double(state.range(0)) / 1000.0;
    for (auto _ : state) {
        cg_engine::renderActiveScenes(*demo, time);
        glFinish();
    }
    int lines = 0;
    auto* lyrics = static_cast<Lyrics*>(demo->scenes[0]);
    if (cg_engine::isActiveAt(lyrics->startTime, lyrics->endTime, time))
        forEachActiveLine(lyrics->lineStart, lyrics->lineEnd, time, [&](int, float) { ++lines; });
    state.counters["lines"] = lines;
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Frame)->Arg(3000)->Arg(12300)->Arg(30000)->Arg(44000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime();

void ParseConfig(benchmark::State& state)
{
    std::string text = readFile(std::string(SOVANE05_SOURCE_DIR) + "/data/config.txt");
    for (auto _ : state) {
        size_t entries = 0;
        for (std::string_view line : configLines(text))
            entries += parseConfigLine(line).outcome == ConfigLine::Outcome::Entry;
        benchmark::DoNotOptimize(entries);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(ParseConfig);

void ParseAndFlattenMesh(benchmark::State& state)
{
    std::string text;
    int faces = int(state.range(0));
    for (int i = 0; i < faces + 2; ++i)
        text += "v " + std::to_string(i) + ".5 -1.25 3e-2\nvn 0 0 1\nvt 0.5 0.5\n";
    for (int i = 1; i <= faces; ++i)
        text += "f " + std::to_string(i) + "/1/1 " + std::to_string(i + 1) + "/2/2 " + std::to_string(i + 2) + "/3/3\n";
    for (auto _ : state) {
        Mesh mesh;
        mesh.readText(text, "bench.mesh");
        mesh.expandFaces();
        benchmark::DoNotOptimize(mesh.vertexPositions.data());
        for (MeshFace* face : mesh.faces)
            delete face;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(ParseAndFlattenMesh)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void ReadTiming(benchmark::State& state)
{
    std::string text = readFile(std::string(SOVANE05_SOURCE_DIR) + "/data/texttiming.txt");
    double lineStart[kLyricLineCount];
    double lineEnd[kLyricLineCount];
    for (auto _ : state)
        benchmark::DoNotOptimize(readTimingText(text, lineStart, lineEnd).pairsRead);
}
BENCHMARK(ReadTiming);

}  // namespace
