// Decoding through a handle that is always closed, one block at a time.
#include "tools/lib/audio/Mp3Stream.h"

#include <mpg123.h>

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

bool decodeMp3(const std::string& path, const std::function<bool(const Mp3Block&)>& take, std::string& failure,
               const std::function<bool()>& stopRequested)
{
    OpenedInput opened = openInputFile(path.c_str(), "rb");
    if (opened.file == nullptr) {
        failure = opened.failure;
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened.file, std::fclose);
    Decoder decoder = openDecoder(failure);
    if (!decoder)
        return false;
    if (mpg123_open_fd(decoder.get(), fileno(file.get())) != MPG123_OK) {
        failure = mpg123_strerror(decoder.get());
        return false;
    }
    std::vector<int16_t> block(1 << 15);
    Mp3Block decoded;
    int encoding = 0;
    for (;;) {
        if (stopRequested && stopRequested()) {
            failure.clear();
            return false;
        }
        size_t done = 0;
        int result = mpg123_read(decoder.get(), block.data(), block.size() * sizeof(int16_t), &done);
        if (result == MPG123_NEW_FORMAT)
            mpg123_getformat(decoder.get(), &decoded.rate, &decoded.channels, &encoding);
        if (decoded.channels > 0 && done > 0) {
            size_t frames = done / (sizeof(int16_t) * size_t(decoded.channels));
            decoded.samples = std::span<const int16_t>(block.data(), frames * size_t(decoded.channels));
            if (!take(decoded)) {
                failure.clear();
                return false;
            }
        }
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            failure = mpg123_strerror(decoder.get());
            return false;
        }
    }
    if (decoded.rate == 0) {
        failure = "no MP3 frames in it";
        return false;
    }
    return true;
}
