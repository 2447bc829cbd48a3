// Finding a song's beat with aubio's beat tracker (Debian's libaubio-dev): the moments of the
// beats it hears in the decoded music, each with how loud the song is just after it, for
// fitBeatGrid (tools/make/ShowPlan.h) to turn into a tempo and a first downbeat.
#pragma once

#include <vector>

#include "tools/lib/base/DecodedMusic.h"

struct HeardBeats {
    std::vector<double> times;      // seconds, rising
    std::vector<double> strengths;  // the mean square of the 60 ms after each beat
};

HeardBeats findBeats(const DecodedMusic& music);

// The mean square of the music's 60 ms from `seconds` on (0 outside it).
double loudnessAfter(const DecodedMusic& music, double seconds);
