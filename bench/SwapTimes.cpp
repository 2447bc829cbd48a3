// A library preloaded into the real show to time its frames from outside: it stands in for
// SDL_GL_SwapWindow, notes the monotonic clock when each swap returns, and at the process's end
// writes those moments, in seconds, one a line, to the file that SOVANE05_SWAP_TIMES names.
// The show itself reads no setting for it and runs unchanged.
//
//   LD_PRELOAD=libsovane05_swaptimes.so SOVANE05_SWAP_TIMES=/tmp/swaps.txt sovane05
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

struct SDL_Window;

namespace {

// An hour at 300 frames a second; kept in place, so timing a swap allocates nothing.
constexpr size_t kMostSwaps = 1 << 20;
double swapMoments[kMostSwaps];
size_t swapCount = 0;
pid_t swappingProcess = 0;

struct SwapTimesFile {
    ~SwapTimesFile()
    {
        // Only the process that swapped writes: a child forked by a library and ending before
        // or after it would otherwise leave its own empty list in the file.
        const char* path = std::getenv("SOVANE05_SWAP_TIMES");
        if (path == nullptr || swapCount == 0 || getpid() != swappingProcess)
            return;
        if (std::FILE* file = std::fopen(path, "w")) {
            for (size_t i = 0; i < swapCount; ++i)
                std::fprintf(file, "%.9f\n", swapMoments[i]);
            std::fclose(file);
        }
    }
} swapTimesFile;

}  // namespace

// SDL's own, which this one stands in for.
extern "C" void SDL_GL_SwapWindow(SDL_Window* window);

extern "C" __attribute__((visibility("default"))) void SDL_GL_SwapWindow(SDL_Window* window)
{
    using Swap = void (*)(SDL_Window*);
    static Swap swap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    swap(window);
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    swappingProcess = getpid();
    if (swapCount < kMostSwaps)
        swapMoments[swapCount++] = double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
