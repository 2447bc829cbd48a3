// Decoding to count samples, through a handle that is always closed.
#include "tools/lib/audio/Mp3Length.h"

#include <mpg123.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "rules/InputFile.h"

namespace {

struct Close {
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Decoder = std::unique_ptr<mpg123_handle, Close>;

// A decoder as SDL_mixer makes one: any of libmpg123's rates, mono or stereo, signed 16-bit.
Decoder openDecoder(std::string& failure)
{
    int error = MPG123_OK;
    Decoder decoder(mpg123_new(nullptr, &error));
    if (!decoder) {
        failure = std::string("cannot start the MP3 decoder: ") + mpg123_plain_strerror(error);
        return decoder;
    }
    mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(decoder.get());
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(decoder.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return decoder;
}

}  // namespace

std::optional<double> measureMp3(const std::string& path, std::string& failure,
                                 const std::function<bool()>& stopRequested)
{
    OpenedInput opened = openInputFile(path.c_str(), "rb");
    if (opened.file == nullptr) {
        failure = opened.failure;
        return std::nullopt;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened.file, std::fclose);
    Decoder decoder = openDecoder(failure);
    if (!decoder)
        return std::nullopt;
    if (mpg123_open_fd(decoder.get(), fileno(file.get())) != MPG123_OK) {
        failure = mpg123_strerror(decoder.get());
        return std::nullopt;
    }
    std::vector<unsigned char> block(1 << 16);
    // Counted in whole frames at each rate, so an hour adds up exactly.
    double seconds = 0.0;
    int64_t frames = 0;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    for (;;) {
        if (stopRequested && stopRequested()) {
            failure.clear();
            return std::nullopt;
        }
        size_t done = 0;
        int result = mpg123_read(decoder.get(), block.data(), block.size(), &done);
        if (result == MPG123_NEW_FORMAT) {
            if (rate > 0)
                seconds += double(frames) / double(rate);
            frames = 0;
            mpg123_getformat(decoder.get(), &rate, &channels, &encoding);
        }
        if (channels > 0)
            frames += int64_t(done / (sizeof(int16_t) * size_t(channels)));
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            failure = mpg123_strerror(decoder.get());
            return std::nullopt;
        }
    }
    if (rate == 0) {
        failure = "no MP3 frames in it";
        return std::nullopt;
    }
    return seconds + double(frames) / double(rate);
}
