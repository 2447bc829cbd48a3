// A ring of the part's last 1.5 s: a frame leaves it only once the fade out cannot reach it.
#include "tools/make/SongCut.h"

#include <algorithm>
#include <cmath>

#include "tools/make/ShowPlan.h"

namespace {

// The fade out's longest reach, in frames.
const std::size_t kHeldFrames = std::size_t(std::ceil(kCutFadeOutSeconds * kSongSampleRate));

}  // namespace

SongCut::SongCut(long long firstFrame, long long lastFrame)
    : first(firstFrame), last(lastFrame), held(2 * kHeldFrames)
{
}

void SongCut::add(const float* stereo, std::size_t frames, const Take& take)
{
    for (std::size_t frame = 0; frame < frames; ++frame, ++seen) {
        if (seen < first || seen >= last)
            continue;
        if (taken - released == (long long)kHeldFrames)
            release(1, taken + 1, false, take);
        std::size_t at = std::size_t(taken % (long long)kHeldFrames) * 2;
        held[at] = stereo[2 * frame];
        held[at + 1] = stereo[2 * frame + 1];
        ++taken;
    }
    if (!ready.empty())
        take(ready);
    ready.clear();
}

void SongCut::finish(const Take& take)
{
    release(std::size_t(taken - released), taken, last < seen, take);
    if (!ready.empty())
        take(ready);
    ready.clear();
}

// Hands on `frames` held frames of a part `partLength` frames long (its true length, or a bound
// under it that the fade out cannot reach from these frames).
void SongCut::release(std::size_t frames, long long partLength, bool fadeOut, const Take& take)
{
    for (std::size_t n = 0; n < frames; ++n, ++released) {
        float gain = float(cutGain(released, partLength, first > 0, fadeOut));
        std::size_t at = std::size_t(released % (long long)kHeldFrames) * 2;
        ready.push_back(held[at] * gain);
        ready.push_back(held[at + 1] * gain);
    }
    if (ready.size() >= 2 * 4096) {
        take(ready);
        ready.clear();
    }
}
