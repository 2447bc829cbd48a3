// Counting the samples of the streamed decode, in whole frames at each rate.
#include "tools/lib/audio/Mp3Length.h"

#include <cstdint>

#include "tools/lib/audio/Mp3Stream.h"

std::optional<double> measureMp3(const std::string& path, std::string& failure,
                                 const std::function<bool()>& stopRequested)
{
    // Counted in whole frames at each rate, so an hour adds up exactly.
    double seconds = 0.0;
    int64_t frames = 0;
    long rate = 0;
    auto count = [&](const Mp3Block& block) {
        if (block.rate != rate) {
            if (rate > 0)
                seconds += double(frames) / double(rate);
            frames = 0;
            rate = block.rate;
        }
        frames += int64_t(block.samples.size()) / block.channels;
        return true;
    };
    if (!decodeMp3(path, count, failure, stopRequested))
        return std::nullopt;
    return seconds + double(frames) / double(rate);
}
