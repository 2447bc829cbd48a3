// LAME behind an owning handle; the file is built in memory (160 kb/s is 72 MB an hour) so the
// caller can write it in one step.
#include "tools/lib/audio/Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <stdexcept>
#include <string>

namespace compose {

namespace {

constexpr std::size_t kChunk = 1152 * 32;

// LAME's own chatter would break the tool's one-line error format.
void quiet(const char*, va_list) {}

}  // namespace

void Mp3Encoder::Close::operator()(lame_global_struct* flags) const
{
    lame_close(flags);
}

Mp3Encoder::Mp3Encoder(const Mp3Settings& settings) : lame(lame_init()), buffer(kChunk * 5 / 4 + 7200)
{
    if (!lame)
        throw std::runtime_error("LAME could not start");
    lame_global_flags* flags = lame.get();
    lame_set_errorf(flags, quiet);
    lame_set_debugf(flags, quiet);
    lame_set_msgf(flags, quiet);
    lame_set_in_samplerate(flags, kSampleRate);
    lame_set_out_samplerate(flags, kSampleRate);
    lame_set_num_channels(flags, 2);
    lame_set_mode(flags, JOINT_STEREO);
    lame_set_VBR(flags, vbr_off);
    lame_set_brate(flags, settings.kilobitsPerSecond);
    lame_set_quality(flags, settings.quality);
    lame_set_bWriteVbrTag(flags, 1);
    if (lame_init_params(flags) < 0)
        throw std::runtime_error("LAME refused the encoding settings");
}

Mp3Encoder::~Mp3Encoder() = default;

void Mp3Encoder::append(int written, const char* stage)
{
    if (written < 0)
        throw std::runtime_error(std::string("LAME failed while ") + stage + " (code " + std::to_string(written) + ")");
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
}

void Mp3Encoder::add(const float* left, const float* right, std::size_t frames)
{
    for (std::size_t start = 0; start < frames; start += kChunk) {
        int count = int(std::min(kChunk, frames - start));
        append(lame_encode_buffer_ieee_float(lame.get(), left + start, right + start, count, buffer.data(),
                                             int(buffer.size())),
               "encoding");
    }
}

void Mp3Encoder::addInterleaved(const float* samples, std::size_t frames)
{
    for (std::size_t start = 0; start < frames; start += kChunk) {
        int count = int(std::min(kChunk, frames - start));
        append(lame_encode_buffer_interleaved_ieee_float(lame.get(), samples + start * 2, count, buffer.data(),
                                                         int(buffer.size())),
               "encoding");
    }
}

std::vector<unsigned char> Mp3Encoder::finish()
{
    append(lame_encode_flush(lame.get(), buffer.data(), int(buffer.size())), "flushing");
    // The first frame was written as a placeholder; the finished Info frame replaces it.
    std::size_t tagSize = lame_get_lametag_frame(lame.get(), buffer.data(), buffer.size());
    if (tagSize == 0 || tagSize > mp3.size())
        throw std::runtime_error("LAME produced no Info frame");
    std::memcpy(mp3.data(), buffer.data(), tagSize);
    return std::move(mp3);
}

std::optional<std::vector<unsigned char>> encodeMp3(const StereoBuffer& audio, const Mp3Settings& settings,
                                                    const std::function<bool()>& stopRequested,
                                                    const std::function<void(std::size_t)>& encoded)
{
    Mp3Encoder encoder(settings);
    for (std::size_t start = 0; start < audio.frames(); start += kChunk) {
        if (stopRequested && stopRequested())
            return std::nullopt;
        std::size_t count = std::min(kChunk, audio.frames() - start);
        encoder.add(audio.left.data() + start, audio.right.data() + start, count);
        if (encoded)
            encoded(start + count);
    }
    return encoder.finish();
}

}  // namespace compose
