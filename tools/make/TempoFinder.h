// Finding a song's beat with aubio's beat tracker (Debian's libaubio-dev): the moments of the
// beats it hears in the music as the show decodes it, each with how loud the song is just after
// it, for fitBeatGrid (tools/make/ShowPlan.h) to turn into a tempo and a first downbeat. The
// music comes block by block as it is decoded; nothing of it is kept beyond a few seconds.
//
//   TempoFinder finder;
//   finder.add(block);                      // 44.1 kHz 16-bit stereo, interleaved
//   HeardBeats heard = finder.finish();
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "tools/make/MusicLoudness.h"

struct HeardBeats {
    std::vector<double> times;      // seconds, rising
    std::vector<double> strengths;  // the mean square of the 60 ms after each beat
};

class TempoFinder {
public:
    TempoFinder();
    ~TempoFinder();
    TempoFinder(const TempoFinder&) = delete;
    TempoFinder& operator=(const TempoFinder&) = delete;

    void add(std::span<const int16_t> stereo);
    // The beats heard, once the music has ended; none when aubio could not start.
    HeardBeats finish();

private:
    void hear(const int16_t* stereo, std::size_t frames);

    struct Aubio;
    std::unique_ptr<Aubio> aubio;
    MusicLoudness loudness;
    std::vector<double> times;
};
