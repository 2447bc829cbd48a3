// A 16-bit PCM WAV image of a stereo render, for listening to a debug render directly;
// samples beyond full scale are clamped.
#pragma once

#include <vector>

#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

std::vector<unsigned char> encodeWav(const StereoBuffer& audio);

}  // namespace compose
