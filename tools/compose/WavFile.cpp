// Writes the canonical 44-byte RIFF header and interleaved little-endian 16-bit samples.
#include "tools/compose/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace compose {

namespace {

void putLittleEndian(std::vector<unsigned char>& bytes, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xFF));
}

void putText(std::vector<unsigned char>& bytes, const char* text)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(text[i]));
}

}  // namespace

std::vector<unsigned char> encodeWav(const StereoBuffer& audio)
{
    const uint32_t dataBytes = uint32_t(audio.frames() * 4);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataBytes);
    putText(bytes, "RIFF");
    putLittleEndian(bytes, 36 + dataBytes, 4);
    putText(bytes, "WAVE");
    putText(bytes, "fmt ");
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2);  // PCM
    putLittleEndian(bytes, 2, 2);  // channels
    putLittleEndian(bytes, kSampleRate, 4);
    putLittleEndian(bytes, kSampleRate * 4, 4);
    putLittleEndian(bytes, 4, 2);  // bytes per frame
    putLittleEndian(bytes, 16, 2);
    putText(bytes, "data");
    putLittleEndian(bytes, dataBytes, 4);
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        for (float sample : {audio.left[n], audio.right[n]}) {
            long value = std::lround(std::clamp(double(sample), -1.0, 1.0) * 32767.0);
            putLittleEndian(bytes, uint32_t(uint16_t(int16_t(value))), 2);
        }
    }
    return bytes;
}

}  // namespace compose
