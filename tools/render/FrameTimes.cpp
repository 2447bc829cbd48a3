// The show times of stills and video frames.
#include "tools/render/FrameTimes.h"

#include <cmath>

namespace {

// Steps this close to a whole number are taken as whole: decimal steps are not exact in
// binary, and (1 - 0) / 0.1 is 9.999999999999998.
constexpr double kSlack = 1e-9;

}  // namespace

int64_t momentCount(double from, double to, double every)
{
    if (to < from || every <= 0.0)
        return 0;
    return int64_t(std::floor((to - from) / every + kSlack)) + 1;
}

std::vector<double> momentsEvery(double from, double to, double every)
{
    std::vector<double> moments;
    int64_t count = momentCount(from, to, every);
    moments.reserve(size_t(count));
    for (int64_t k = 0; k < count; ++k)
        moments.push_back(from + double(k) * every);
    return moments;
}

int64_t videoFrameCount(double from, double to, double fps)
{
    if (to <= from || fps <= 0.0)
        return 0;
    return int64_t(std::ceil((to - from) * fps - kSlack));
}

double videoFrameTime(double from, double fps, int64_t frame)
{
    return from + double(frame) / fps;
}
