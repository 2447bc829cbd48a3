// Peak, RMS and gated loudness of a stereo render. Integrated loudness and true peak are
// libebur128's, the EBU R 128 / ITU-R BS.1770 meter that ffmpeg's own is checked against.
#include "tools/compose/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

namespace compose {

namespace {

double toDecibels(double gain)
{
    return gain > 0.0 ? 20.0 * std::log10(gain) : -200.0;
}

struct MeterRelease {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Meter = std::unique_ptr<ebur128_state, MeterRelease>;

// A meter in `mode` that has heard the whole render.
Meter meterOf(const StereoBuffer& audio, int mode)
{
    Meter meter(ebur128_init(2, kSampleRate, mode));
    if (!meter)
        throw std::runtime_error("cannot start the loudness meter");
    // The meter takes interleaved frames; a chunk at a time keeps the copy small.
    constexpr std::size_t kChunkFrames = 8192;
    std::vector<float> interleaved(2 * kChunkFrames);
    for (std::size_t start = 0; start < audio.frames(); start += kChunkFrames) {
        std::size_t count = std::min(kChunkFrames, audio.frames() - start);
        for (std::size_t n = 0; n < count; ++n) {
            interleaved[2 * n] = audio.left[start + n];
            interleaved[2 * n + 1] = audio.right[start + n];
        }
        if (ebur128_add_frames_float(meter.get(), interleaved.data(), count) != EBUR128_SUCCESS)
            throw std::runtime_error("the loudness meter refused the render");
    }
    return meter;
}

double truePeakOf(ebur128_state* meter)
{
    double peak = 0.0;
    for (unsigned channel = 0; channel < 2; ++channel) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(meter, channel, &channelPeak) == EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    return toDecibels(peak);
}

double loudnessOf(ebur128_state* meter)
{
    double lufs = -HUGE_VAL;
    ebur128_loudness_global(meter, &lufs);
    // The meter says minus infinity when no block passes the absolute gate.
    return std::isfinite(lufs) ? std::max(lufs, -70.0) : -70.0;
}

}  // namespace

double samplePeakDecibels(const StereoBuffer& audio)
{
    double peak = 0.0;
    for (std::size_t n = 0; n < audio.frames(); ++n)
        peak = std::max({peak, double(std::fabs(audio.left[n])), double(std::fabs(audio.right[n]))});
    return toDecibels(peak);
}

double truePeakDecibels(const StereoBuffer& audio)
{
    return truePeakOf(meterOf(audio, EBUR128_MODE_TRUE_PEAK).get());
}

double rmsDecibels(const StereoBuffer& audio)
{
    if (audio.frames() == 0)
        return -200.0;
    double sum = 0.0;
    for (std::size_t n = 0; n < audio.frames(); ++n)
        sum += double(audio.left[n]) * audio.left[n] + double(audio.right[n]) * audio.right[n];
    return toDecibels(std::sqrt(sum / (2.0 * double(audio.frames()))));
}

double integratedLoudness(const StereoBuffer& audio)
{
    return loudnessOf(meterOf(audio, EBUR128_MODE_I).get());
}

LoudnessReport measure(const StereoBuffer& audio)
{
    Meter meter = meterOf(audio, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    return {samplePeakDecibels(audio), truePeakOf(meter.get()), rmsDecibels(audio), loudnessOf(meter.get())};
}

}  // namespace compose
