// Decoding a show's music the way the show hears it: SDL_mixer, at the show's 44.1 kHz, 16-bit
// stereo, on SDL's silent "dummy" audio driver, so no sound device is needed. For tools that
// measure or draw the music rather than play it.
//
//   std::string failure;
//   std::optional<DecodedMusic> music = decodeMusic("data/ywsf.mp3", failure);
//   if (!music) report("data/ywsf.mp3: " + failure);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DecodedMusic {
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    std::vector<int16_t> samples;  // interleaved left, right

    int64_t frames() const { return int64_t(samples.size()) / kChannels; }
    double seconds() const { return double(frames()) / kSampleRate; }
};

// Decodes the whole file; nothing, with SDL_mixer's reason in `failure`, when it cannot.
std::optional<DecodedMusic> decodeMusic(const std::string& path, std::string& failure);
