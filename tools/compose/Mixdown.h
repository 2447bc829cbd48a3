// Turns the score into the finished stereo track: every part on its own bus, reverb and echo
// sends, the kick's pump on the sustained parts, loudness set, peaks limited, the ending faded.
#pragma once

#include <functional>
#include <optional>

#include "tools/compose/Score.h"
#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

inline constexpr double kTargetLufs = -11.5;
inline constexpr double kCeilingDecibels = -1.7;

struct MixReport {
    double makeUpGainDecibels = 0.0;
    double deepestLimitingDecibels = 0.0;
};

// The stages of a mixdown, for a progress line.
inline constexpr int kMixdownSteps = 6;

// `stopRequested` is asked between stages; when it says yes the mix stops and nothing is
// returned. `stepDone`, when given, hears the count of stages done after each.
std::optional<StereoBuffer> mixdown(const Score& score, MixReport* report = nullptr,
                                    const std::function<bool()>& stopRequested = {},
                                    const std::function<void(int)>& stepDone = {});

}  // namespace compose
