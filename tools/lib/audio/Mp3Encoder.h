// Encoding a stereo render to MP3 with libmp3lame: constant bit rate, joint stereo, and the
// LAME "Info" frame that tells decoders the encoder delay, so the track decodes gaplessly to
// its true length.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

struct Mp3Settings {
    int kilobitsPerSecond = 160;
    int quality = 2;  // LAME's algorithm quality: 0 best and slowest, 9 fastest
};

// Throws std::runtime_error when LAME refuses the settings or fails. `stopRequested` is
// asked between chunks; when it says yes, nothing is returned.
std::optional<std::vector<unsigned char>> encodeMp3(const StereoBuffer& audio, const Mp3Settings& settings,
                                                    const std::function<bool()>& stopRequested = {});

}  // namespace compose
