// What the frame loop asks of the system over 1000 frames of the real dispatch, after the
// show's own start-up: allocations through operator new and files opened (bench/SystemCounters.h),
// for the stock show and for a show made of a whole song (bench/MadeShow.h).
// Counting in the process itself, rather than with strace around it, sees exactly the frames
// and nothing of the start-up.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/BenchFigures.h"
#include "bench/MadeShow.h"
#include "bench/SystemCounters.h"
#include "engine/SceneDispatch.h"
#include "platform/gl/OffscreenContext.h"
#include "rules/ShowTimeline.h"
#include "show/ShowBuild.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kFrames = 1000;

// What 1000 frames of the real dispatch ask of the system, at moments spread from 0 to `seconds`.
SystemCounts countFrames(const OffscreenContext& context, cg_engine::Demo& demo, double seconds)
{
    startCounting();
    for (int frame = 0; frame < kFrames; ++frame) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
        cg_engine::renderActiveScenes(demo, seconds * (frame + 0.5) / kFrames);
        SDL_GL_SwapWindow(context.window);
        // The offscreen driver's swap does not flush; without this the next clear would
        // drop the frame unrasterised.
        glFinish();
    }
    return stopCounting();
}

// Waits until Mesa's cache thread has written what start-up compiled: no file half-written and
// the count of files in `cache` the same for a second. Its writes belong to start-up, however
// late they land; counted in the frames, they would hide what the frames themselves open.
void awaitShaderCache(const std::filesystem::path& cache)
{
    auto settled = [&cache]() {
        std::size_t files = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(cache, error)) {
            if (entry.path().extension() == ".tmp")
                return std::size_t(-1);
            files += entry.is_regular_file() ? 1 : 0;
        }
        return files;
    };
    std::size_t last = settled();
    for (int quiet = 0; quiet < 5;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::size_t now = settled();
        quiet = now == last && now != std::size_t(-1) ? quiet + 1 : 0;
        last = now;
    }
}

// The show of `folder` built as sovane05 builds it, warmed up in the default frame buffer of a
// 1920×1080 window, Mesa's cache written, then the frame loop's steps for 1000 moments spread over
// the whole show: the event queue drained, the dispatch, the swap, each frame finished. Mesa's
// shader cache is on, in a folder of its own, as on a user's machine.
void countFrameLoop(benchmark::State& state, const std::filesystem::path& folder, double seconds, const std::string& what)
{
    TempDir cache;
    setenv("MESA_SHADER_CACHE_DIR", cache.path().c_str(), 1);
    OffscreenContext context = createOffscreenContext(1920, 1080);
    if (!context.failure.empty()) {
        state.SkipWithError(context.failure.c_str());
        return;
    }
    WorkingFolder inside(folder);
    BuiltShow show = buildShow(1920, 1080);
    if (!show.demo) {
        state.SkipWithError(show.failure.c_str());
        return;
    }
    awaitShaderCache(cache.path());
    SystemCounts counts;
    for (auto _ : state)
        counts = countFrames(context, *show.demo, seconds);
    state.SetLabel(countRow(what, counts.allocations, counts.filesOpened));
}

void FrameLoop(benchmark::State& state)
{
    countFrameLoop(state, SOVANE05_SOURCE_DIR, kPhotoEnd, "the frame loop: 1000 frames of the real dispatch from 0 to 58 s");
}
BENCHMARK(FrameLoop)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The same over a show made of a whole song: its lyrics scenes scan 400 windows a frame.
void MadeFrameLoop(benchmark::State& state)
{
    const MadeShow& made = madeShow(SOVANE05_MAKE_TOOL);
    if (!made.failure.empty()) {
        state.SkipWithError(made.failure.c_str());
        return;
    }
    countFrameLoop(state, made.folder, made.seconds,
                   "a made show of 4 minutes and 400 entries: the frame loop, 1000 frames of the real dispatch from 0 to "
                   "240 s");
}
BENCHMARK(MadeFrameLoop)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
