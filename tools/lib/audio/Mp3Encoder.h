// Encoding stereo audio to MP3 with libmp3lame: constant bit rate, joint stereo, and the LAME
// "Info" frame that tells decoders the encoder delay, so the track decodes gaplessly to its
// true length. The audio may come whole (encodeMp3) or block by block as it is decoded
// (Mp3Encoder), so an hour of music never has to be in memory as samples.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "tools/lib/audio/StereoBuffer.h"

struct lame_global_struct;

namespace compose {

struct Mp3Settings {
    int kilobitsPerSecond = 160;
    int quality = 2;  // LAME's algorithm quality: 0 best and slowest, 9 fastest
};

// The MP3 file's bytes, built up as the audio comes. Throws std::runtime_error when LAME
// refuses the settings or fails.
class Mp3Encoder {
public:
    explicit Mp3Encoder(const Mp3Settings& settings);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // `frames` frames of 44.1 kHz audio, as two channels or interleaved left, right.
    void add(const float* left, const float* right, std::size_t frames);
    void addInterleaved(const float* samples, std::size_t frames);
    // The whole file, its first frame the finished Info frame.
    std::vector<unsigned char> finish();

private:
    void append(int written, const char* stage);

    struct Close {
        void operator()(lame_global_struct* flags) const;
    };
    std::unique_ptr<lame_global_struct, Close> lame;
    std::vector<unsigned char> mp3;
    std::vector<unsigned char> buffer;
};

// The whole of `audio` as an MP3 file. `stopRequested` is asked between chunks; when it says
// yes, nothing is returned. `encoded`, when given, hears the frames encoded so far after each.
std::optional<std::vector<unsigned char>> encodeMp3(const StereoBuffer& audio, const Mp3Settings& settings,
                                                    const std::function<bool()>& stopRequested = {},
                                                    const std::function<void(std::size_t)>& encoded = {});

}  // namespace compose
