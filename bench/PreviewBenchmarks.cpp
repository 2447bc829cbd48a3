// Benchmarks of sovane05-preview's rebuild with the show's own data on Mesa's software renderer:
// a new context, the show built and judged in it and the old build freed, as after every edit,
// with the resident memory a hundred of them leave behind; and one look at the watched files, which happens
// every quarter second. Run from anywhere: build/<dir>/bench/preview_benchmarks
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/OffscreenContext.h"
#include "tests/support/TempDir.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/preview/FileWatch.h"
#include "tools/preview/OwnedShow.h"

namespace {

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// The preview's default window.
const OffscreenContext& context()
{
    static const OffscreenContext created = [] {
        // Every program compiled cold, the slowest case: an edited shader always is.
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        return createOffscreenContext(1280, 720);
    }();
    return created;
}

void Rebuild(benchmark::State& state)
{
    if (!context().failure.empty()) {
        state.SkipWithError(context().failure.c_str());
        return;
    }
    WorkingFolder inside(SOVANE05_SOURCE_DIR);
    ShowSources sources = readShowSources(readFile(kShowConfigPath));
    auto shown = std::make_unique<OwnedShow>(context().window, sources);
    if (shown->quality() != BuildQuality::Sound) {
        state.SkipWithError("the show's own data does not build soundly");
        return;
    }
    // The allocators and the driver reach their working set over the first rebuilds; and the
    // resident size swings by a photo's worth from one rebuild to the next as big blocks go
    // back to the system, so the peaks of the first and the last ten rebuilds are compared.
    for (int i = 0; i < 20; ++i)
        shown = std::make_unique<OwnedShow>(context().window, sources);
    std::vector<long> resident;
    for (auto _ : state) {
        auto candidate = std::make_unique<OwnedShow>(context().window, sources);
        glFinish();
        shown = std::move(candidate);
        resident.push_back(residentKiB());
    }
    if (resident.size() >= 20) {
        long first = *std::max_element(resident.begin(), resident.begin() + 10);
        long last = *std::max_element(resident.end() - 10, resident.end());
        state.counters["residentGrowthKiB"] = double(last - first);
    }
}
BENCHMARK(Rebuild)->Unit(benchmark::kMillisecond)->Iterations(100)->UseRealTime();

void LookAtWatchedFiles(benchmark::State& state)
{
    WorkingFolder inside(SOVANE05_SOURCE_DIR);
    ShowSources sources = readShowSources(readFile(kShowConfigPath));
    FileWatch watch;
    watch.watch(sources.watched, 0.0);
    double now = 0.0;
    for (auto _ : state) {
        now += ReloadSchedule::kPollInterval;
        benchmark::DoNotOptimize(watch.reloadDue(now));
    }
    state.counters["files"] = double(sources.watched.size());
}
BENCHMARK(LookAtWatchedFiles)->Unit(benchmark::kMicrosecond);

}  // namespace
