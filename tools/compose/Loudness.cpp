// Peak, RMS and gated loudness of a stereo render.
#include "tools/compose/Loudness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "tools/compose/Dsp.h"

namespace compose {

namespace {

double toDecibels(double gain)
{
    return gain > 0.0 ? 20.0 * std::log10(gain) : -200.0;
}

// K-weighting, stage one: a +4 dB shelf above ~1.7 kHz, the head's effect. The standard gives
// coefficients for 48 kHz only; these are its analogue prototype, warped to our rate. The
// cookbook shelf differs from it by a quarter of a dB at 1 kHz, where loudness is calibrated.
Biquad kWeightingShelf()
{
    const double k = std::tan(kPi * 1681.974450955533 / kSampleRate);
    const double q = 0.7071752369554196;
    const double highGain = std::pow(10.0, 3.999843853973347 / 20.0);
    const double bandGain = std::pow(highGain, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return Biquad::fromCoefficients((highGain + bandGain * k / q + k * k) / a0, 2.0 * (k * k - highGain) / a0,
                                    (highGain - bandGain * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                                    (1.0 - k / q + k * k) / a0);
}

// Stage two: the "revised low-frequency B" high-pass at 38 Hz.
Biquad kWeightingHighPass()
{
    const double k = std::tan(kPi * 38.13547087602444 / kSampleRate);
    const double q = 0.5003270373238773;
    const double a0 = 1.0 + k / q + k * k;
    return Biquad::fromCoefficients(1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0);
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
    // Three points between each pair of samples, from a Hann-windowed sinc over 16 taps.
    constexpr int kPhases = 4;
    constexpr int kHalfTaps = 8;
    std::array<std::array<double, 2 * kHalfTaps>, kPhases> kernels{};
    for (int phase = 1; phase < kPhases; ++phase) {
        double fraction = double(phase) / kPhases;
        for (int tap = 0; tap < 2 * kHalfTaps; ++tap) {
            double x = double(tap - kHalfTaps + 1) - fraction;
            double sinc = std::sin(kPi * x) / (kPi * x);
            double window = 0.5 + 0.5 * std::cos(kPi * x / kHalfTaps);
            kernels[size_t(phase)][size_t(tap)] = sinc * window;
        }
    }
    double peak = std::pow(10.0, samplePeakDecibels(audio) / 20.0);
    for (const std::vector<float>* channel : {&audio.left, &audio.right}) {
        const std::vector<float>& samples = *channel;
        for (std::size_t n = kHalfTaps; n + kHalfTaps < samples.size(); ++n) {
            for (int phase = 1; phase < kPhases; ++phase) {
                double value = 0.0;
                for (int tap = 0; tap < 2 * kHalfTaps; ++tap)
                    value += samples[n + size_t(tap) - kHalfTaps + 1] * kernels[size_t(phase)][size_t(tap)];
                peak = std::max(peak, std::fabs(value));
            }
        }
    }
    return toDecibels(peak);
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
    std::vector<double> weightedPower(audio.frames(), 0.0);
    for (const std::vector<float>* channel : {&audio.left, &audio.right}) {
        Biquad shelf = kWeightingShelf();
        Biquad highPass = kWeightingHighPass();
        for (std::size_t n = 0; n < audio.frames(); ++n) {
            double value = highPass.process(shelf.process((*channel)[n]));
            weightedPower[n] += value * value;
        }
    }

    // 400 ms blocks every 100 ms, gated at -70 LUFS and then 10 LU under their mean.
    std::size_t block = std::size_t(0.4 * kSampleRate);
    std::size_t hop = std::size_t(0.1 * kSampleRate);
    std::vector<double> blockPower;
    for (std::size_t start = 0; start + block <= audio.frames(); start += hop) {
        double sum = 0.0;
        for (std::size_t n = start; n < start + block; ++n)
            sum += weightedPower[n];
        blockPower.push_back(sum / double(block));
    }
    auto loudnessOf = [](double power) { return -0.691 + 10.0 * std::log10(power); };
    auto gatedMean = [&](double threshold) {
        double sum = 0.0;
        int count = 0;
        for (double power : blockPower) {
            if (power > 0.0 && loudnessOf(power) > threshold) {
                sum += power;
                ++count;
            }
        }
        return count == 0 ? 0.0 : sum / count;
    };
    double absolute = gatedMean(-70.0);
    if (absolute <= 0.0)
        return -70.0;
    double relative = gatedMean(loudnessOf(absolute) - 10.0);
    return loudnessOf(relative);
}

LoudnessReport measure(const StereoBuffer& audio)
{
    return {samplePeakDecibels(audio), truePeakDecibels(audio), rmsDecibels(audio), integratedLoudness(audio)};
}

}  // namespace compose
