// Benchmarks of the web page that sovane05-web makes of the shipped show: its frames per
// second at 1920×1080 playing in headless Chromium on SwiftShader, against the show's own
// frames of the same span on Mesa's llvmpipe, measured in turns; the site's bytes against the
// video export of the same show; and sovane05-web's own time against copying the same files.
// Each benchmark's label is its row of the table that scripts/bench prints.
// Run from anywhere: build/<dir>/bench/web_benchmarks
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchFigures.h"
#include "engine/SceneDispatch.h"
#include "platform/gl/OffscreenContext.h"
#include "rules/ShowTimeline.h"
#include "show/Lyrics.h"
#include "show/ShowBuild.h"
#include "tests/support/Browser.h"
#include "tests/support/Process.h"
#include "tests/support/StaticServer.h"
#include "tests/support/TempDir.h"
#include "tools/lib/gl/RenderTarget.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
// Each moment's span: the page plays it, the show draws its frames.
constexpr double kSpanSeconds = 3.0;
constexpr int kNativeFrames = 90;

const std::string kStatus = "window.sovane05Page";

uintmax_t bytesIn(const fs::path& folder)
{
    uintmax_t bytes = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            bytes += entry.file_size();
    }
    return bytes;
}

double secondsOf(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The site of the shipped show, made once.
const fs::path& site()
{
    static TempDir folder;
    static const fs::path made = [] {
        fs::path path = folder / "site";
        runProcess({SOVANE05_WEB_TOOL, "--data", std::string(SOVANE05_SOURCE_DIR) + "/data", "--output", path.string()});
        return path;
    }();
    return made;
}

// The shipped show built once into a 1920×1080 target on llvmpipe.
struct NativeShow {
    OffscreenContext context;
    std::unique_ptr<RenderTarget> target;
    BuiltShow show;
    BusiestMoment busiest;
};

NativeShow& nativeShow()
{
    static NativeShow native = [] {
        NativeShow made;
        made.context = createOffscreenContext(64, 64);
        if (!made.context.failure.empty())
            return made;
        made.target = std::make_unique<RenderTarget>(kScreenWidth, kScreenHeight);
        made.target->bind();
        WorkingFolder inside(SOVANE05_SOURCE_DIR);
        made.show = buildShow(kScreenWidth, kScreenHeight);
        if (made.show.demo) {
            auto* lyrics = static_cast<Lyrics*>(made.show.demo->scenes[0]);
            made.busiest = busiestMoment(lyrics->lineStart, lyrics->lineEnd, lyrics->lineCount, kLyricsStart, kLyricsEnd);
        }
        return made;
    }();
    return native;
}

// The show's frames of the span from `moment`, each finished on the renderer: frames a second.
double nativeFramesPerSecond(NativeShow& native, double moment)
{
    native.target->bind();
    double seconds = secondsOf([&] {
        for (int frame = 0; frame < kNativeFrames; ++frame) {
            cg_engine::renderActiveScenes(*native.show.demo, moment + kSpanSeconds * frame / kNativeFrames);
            glFinish();
        }
    });
    return kNativeFrames / seconds;
}

// The page played from `moment` for the span, its animation frames counted in the page:
// frames a second. Empty when the page did not play.
std::optional<double> pageFramesPerSecond(Browser& browser, const StaticServer& server, double moment)
{
    char address[64];
    std::snprintf(address, sizeof address, "index.html#t=%.3f", moment);
    browser.open(server.url(address));
    if (!browser.waitFor(kStatus + " && " + kStatus + ".state === 'paused' && Math.abs(" + kStatus + ".moment - " +
                             std::to_string(moment) + ") < 0.001",
                         300.0))
        return std::nullopt;
    std::string centre = browser.evaluate(
        "(r => [r.x + r.width / 2, r.y + r.height / 2])(document.getElementById('play').getBoundingClientRect())");
    double x = 0, y = 0;
    std::sscanf(centre.c_str(), "[%lf,%lf]", &x, &y);
    browser.click(x, y);
    // Counted once the music runs, past the start of its playback.
    if (!browser.waitFor(kStatus + ".state === 'playing' && " + kStatus + ".moment > " + std::to_string(moment + 0.2),
                         60.0))
        return std::nullopt;
    std::string counted = browser.evaluate(
        "new Promise(done => { let frames = 0; let first = null;"
        "  const count = now => { if (first === null) first = now; else frames += 1;"
        "    if (now - first < " + std::to_string(kSpanSeconds * 1000) + ") requestAnimationFrame(count);"
        "    else done(frames / ((now - first) / 1000)); };"
        "  requestAnimationFrame(count); })");
    browser.command("Input.dispatchKeyEvent", "{\"type\":\"keyDown\",\"key\":\"Escape\",\"code\":\"Escape\","
                                              "\"windowsVirtualKeyCode\":27}");
    browser.waitFor(kStatus + ".state === 'paused'", 30.0);
    // The next turn's address is this one again, which the page would not take for a change.
    browser.evaluate("location.hash = ''");
    if (counted.empty() || counted == "null")
        return std::nullopt;
    return std::stod(counted);
}

enum class Moment { Background, BusiestLyrics, ChorusBuild, Photo };

void PageFrameRate(benchmark::State& state, Moment which)
{
    NativeShow& native = nativeShow();
    if (!native.context.failure.empty() || !native.show.demo) {
        state.SkipWithError(("the show could not be built: " + native.context.failure + native.show.failure).c_str());
        return;
    }
    if (std::string_view(SOVANE05_PAGE_DIR).empty()) {
        state.SkipWithError("built without Emscripten: no page");
        return;
    }
    const double moments[] = {3.0, native.busiest.time, 44.0, 50.0};
    const char* const names[] = {"the background alone", "the busiest lyric moment", "the chorus build", "the photo"};
    double moment = moments[int(which)];
    StaticServer server(site());
    Browser browser({"--autoplay-policy=no-user-gesture-required"});
    browser.setViewport(kScreenWidth, kScreenHeight);
    std::vector<double> page, show;
    for (auto _ : state) {
        show.push_back(nativeFramesPerSecond(native, moment));
        std::optional<double> measured = pageFramesPerSecond(browser, server, moment);
        if (!measured) {
            state.SkipWithError(("the page did not play: " + browser.failure + browser.evaluate(kStatus)).c_str());
            return;
        }
        page.push_back(*measured);
        state.SetIterationTime(kSpanSeconds);
    }
    char what[200];
    std::snprintf(what, sizeof what,
                  "the page at 1920×1080 in Chromium on SwiftShader, playing %g s from %.2f s (%s), against the "
                  "show's frames of the same span on llvmpipe",
                  kSpanSeconds, moment, names[int(which)]);
    state.SetLabel(tableRow({what, median(page), median(show), "fps", 0.0}));
}
BENCHMARK_CAPTURE(PageFrameRate, Background, Moment::Background)->Iterations(3)->UseManualTime();
BENCHMARK_CAPTURE(PageFrameRate, BusiestLyrics, Moment::BusiestLyrics)->Iterations(3)->UseManualTime();
BENCHMARK_CAPTURE(PageFrameRate, ChorusBuild, Moment::ChorusBuild)->Iterations(3)->UseManualTime();
BENCHMARK_CAPTURE(PageFrameRate, Photo, Moment::Photo)->Iterations(3)->UseManualTime();

// sovane05-web on the shipped show, in turns with copying the same files by cp.
void WebTool(benchmark::State& state)
{
    if (std::string_view(SOVANE05_PAGE_DIR).empty()) {
        state.SkipWithError("built without Emscripten: no page");
        return;
    }
    TempDir folder;
    std::vector<double> tool, copy;
    for (auto _ : state) {
        ProcessResult run = runProcess({SOVANE05_WEB_TOOL, "--data", std::string(SOVANE05_SOURCE_DIR) + "/data",
                                        "--output", (folder / "site").string(), "--force"});
        if (run.exitStatus != 0) {
            state.SkipWithError(run.err.c_str());
            return;
        }
        tool.push_back(run.seconds * 1000.0);
        fs::remove_all(folder / "copy");
        copy.push_back(runProcess({"cp", "-r", site().string(), (folder / "copy").string()}).seconds * 1000.0);
        state.SetIterationTime(run.seconds);
    }
    std::string what = std::string("`sovane05-web` on the shipped show, against `cp -r` of the same files; under 1 s: ") +
                       (median(tool) < 1000.0 ? "holds" : "does not hold");
    state.SetLabel(tableRow({what, median(tool), median(copy), "ms", 0.0}));
}
BENCHMARK(WebTool)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

// The site's bytes against sovane05-render's video of the whole show at 1920×1080, 60 fps.
void PageBytes(benchmark::State& state)
{
    if (std::string_view(SOVANE05_PAGE_DIR).empty()) {
        state.SkipWithError("built without Emscripten: no page");
        return;
    }
    TempDir folder;
    uintmax_t siteBytes = bytesIn(site());
    uintmax_t programBytes = fs::file_size(site() / "sovane05.wasm") + fs::file_size(site() / "sovane05.js");
    uintmax_t videoBytes = 0;
    for (auto _ : state) {
        ProcessResult run = runProcess({SOVANE05_RENDER_TOOL, "--video", (folder / "show.mp4").string(), "--force"}, {},
                                       SOVANE05_SOURCE_DIR, 1800.0);
        if (run.exitStatus != 0) {
            state.SkipWithError(("sovane05-render failed: " + run.err).c_str());
            return;
        }
        videoBytes = fs::file_size(folder / "show.mp4");
        state.SetIterationTime(run.seconds);
    }
    char what[200];
    std::snprintf(what, sizeof what,
                  "the page's site of the shipped show (its program %.2f MB of it), against the video export of the same "
                  "show, 1920×1080, 60 fps, the whole music",
                  double(programBytes) / 1e6);
    state.SetLabel(tableRow({what, double(siteBytes) / 1e6, double(videoBytes) / 1e6, "MB", 0.0}));
}
BENCHMARK(PageBytes)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace
