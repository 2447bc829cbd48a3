// A show's music as decoded samples, the show's 44.1 kHz 16-bit stereo, for the tools that
// measure or draw it. Decoding needs SDL_mixer (tools/lib/gl/MusicFile.h); the samples do not.
#pragma once

#include <cstdint>
#include <vector>

struct DecodedMusic {
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    std::vector<int16_t> samples;  // interleaved left, right

    int64_t frames() const { return int64_t(samples.size()) / kChannels; }
    double seconds() const { return double(frames()) / kSampleRate; }
};
