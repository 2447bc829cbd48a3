// The shared effects of the mix: a feedback-delay-network reverb, a ping-pong echo on the
// dotted eighth, the kick-driven "pump" that ducks the sustained parts, and the master's
// look-ahead peak limiter.
#pragma once

#include <vector>

#include "tools/compose/Score.h"
#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

struct ReverbSettings {
    double decaySeconds = 2.2;  // time to fall by 60 dB
    double preDelaySeconds = 0.02;
    double dampingHertz = 5500.0;  // highs die faster than lows, as in a real room
};

// The wet signal only; the input's length plus the tail that fits in `tailSeconds`.
StereoBuffer reverb(const StereoBuffer& input, const ReverbSettings& settings, double tailSeconds);

// The wet signal only: left, then right, then left again, each repeat softer and darker.
StereoBuffer pingPongDelay(const StereoBuffer& input, double delaySeconds, double feedback);

// A gain per sample that dips by `depth` at each kick and recovers over `recoverySeconds`.
std::vector<float> kickDuck(const std::vector<DrumHit>& hits, std::size_t frames, double depth, double recoverySeconds);

// Holds every sample at or below `ceiling` (linear) without clipping: the gain falls ahead of
// each peak over `lookAheadSeconds` and recovers over `releaseSeconds`. Returns the deepest
// gain reduction applied, in dB (0 when nothing needed it).
double limitPeaks(StereoBuffer& audio, double ceiling, double lookAheadSeconds, double releaseSeconds);

}  // namespace compose
