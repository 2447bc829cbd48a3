// LAME behind an owning handle; the whole file is built in memory so the caller can write it
// in one step.
#include "tools/lib/audio/Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace compose {

namespace {

struct LameClose {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LameHandle = std::unique_ptr<lame_global_flags, LameClose>;

// LAME's own chatter would break the tool's one-line error format.
void quiet(const char*, va_list) {}

}  // namespace

std::optional<std::vector<unsigned char>> encodeMp3(const StereoBuffer& audio, const Mp3Settings& settings,
                                                    const std::function<bool()>& stopRequested)
{
    LameHandle lame(lame_init());
    if (!lame)
        throw std::runtime_error("LAME could not start");
    lame_set_errorf(lame.get(), quiet);
    lame_set_debugf(lame.get(), quiet);
    lame_set_msgf(lame.get(), quiet);
    lame_set_in_samplerate(lame.get(), kSampleRate);
    lame_set_out_samplerate(lame.get(), kSampleRate);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), settings.kilobitsPerSecond);
    lame_set_quality(lame.get(), settings.quality);
    lame_set_bWriteVbrTag(lame.get(), 1);
    if (lame_init_params(lame.get()) < 0)
        throw std::runtime_error("LAME refused the encoding settings");

    std::vector<unsigned char> mp3;
    constexpr std::size_t kChunk = 1152 * 32;
    std::vector<unsigned char> buffer(kChunk * 5 / 4 + 7200);
    for (std::size_t start = 0; start < audio.frames(); start += kChunk) {
        if (stopRequested && stopRequested())
            return std::nullopt;
        int count = int(std::min(kChunk, audio.frames() - start));
        int written = lame_encode_buffer_ieee_float(lame.get(), audio.left.data() + start, audio.right.data() + start,
                                                    count, buffer.data(), int(buffer.size()));
        if (written < 0)
            throw std::runtime_error("LAME failed while encoding (code " + std::to_string(written) + ")");
        mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
    }
    int flushed = lame_encode_flush(lame.get(), buffer.data(), int(buffer.size()));
    if (flushed < 0)
        throw std::runtime_error("LAME failed while flushing (code " + std::to_string(flushed) + ")");
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + flushed);

    // The first frame was written as a placeholder; the finished Info frame replaces it.
    std::size_t tagSize = lame_get_lametag_frame(lame.get(), buffer.data(), buffer.size());
    if (tagSize == 0 || tagSize > mp3.size())
        throw std::runtime_error("LAME produced no Info frame");
    std::memcpy(mp3.data(), buffer.data(), tagSize);
    return mp3;
}

}  // namespace compose
