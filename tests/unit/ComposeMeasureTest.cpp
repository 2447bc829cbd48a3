// The measurements and master effects the track relies on: loudness, peaks, the limiter, the
// kick's duck, the reverb's decay and the echo's ping-pong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/compose/Dsp.h"
#include "tools/compose/Effects.h"
#include "tools/compose/Instruments.h"
#include "tools/compose/Loudness.h"
#include "tools/lib/audio/StereoBuffer.h"

namespace {

using compose::kPi;
using compose::kSampleRate;
using compose::StereoBuffer;

StereoBuffer sine(double hertz, double seconds, double leftAmplitude, double rightAmplitude, double phase = 0.0)
{
    StereoBuffer audio(std::size_t(seconds * kSampleRate));
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        double value = std::sin(2.0 * kPi * hertz * double(n) / kSampleRate + phase);
        audio.left[n] = float(leftAmplitude * value);
        audio.right[n] = float(rightAmplitude * value);
    }
    return audio;
}

double energy(const std::vector<float>& samples, double from, double to)
{
    double sum = 0.0;
    for (std::size_t n = compose::sampleAt(from); n < compose::sampleAt(to) && n < samples.size(); ++n)
        sum += double(samples[n]) * samples[n];
    return sum;
}

}  // namespace

TEST(ComposeMeasure, SinesMeasureAsTheStandardSays)
{
    struct Case {
        const char* what;
        StereoBuffer audio;
        double rms;
        double lufs;
    };
    // BS.1770's calibration: a full-scale 1 kHz sine in one channel reads -3.01 LUFS.
    std::vector<Case> cases;
    cases.push_back({"full scale, left only", sine(1000.0, 3.0, 1.0, 0.0), -6.02, -3.01});
    cases.push_back({"-20 dB, both channels", sine(1000.0, 3.0, 0.1, 0.1), -23.01, -20.0});
    cases.push_back({"-6 dB, both channels", sine(1000.0, 3.0, 0.5, 0.5), -9.03, -6.02});
    for (const Case& c : cases) {
        EXPECT_NEAR(compose::rmsDecibels(c.audio), c.rms, 0.05) << c.what;
        EXPECT_NEAR(compose::integratedLoudness(c.audio), c.lufs, 0.15) << c.what;
    }
    // The K-weighting's high-pass makes deep bass count for less than its level.
    EXPECT_LT(compose::integratedLoudness(sine(30.0, 3.0, 0.5, 0.5)), -6.02 - 2.0);
    EXPECT_DOUBLE_EQ(compose::integratedLoudness(StereoBuffer(kSampleRate * 2)), -70.0);
}

TEST(ComposeMeasure, TruePeakFindsPeaksBetweenSamples)
{
    // A quarter-rate sine sampled 45 degrees off its crest: every sample is at 0.707.
    StereoBuffer audio = sine(kSampleRate / 4.0, 0.1, 1.0, 1.0, kPi / 4.0);
    EXPECT_NEAR(compose::samplePeakDecibels(audio), -3.01, 0.01);
    EXPECT_NEAR(compose::truePeakDecibels(audio), 0.0, 0.3);
    StereoBuffer slow = sine(100.0, 0.1, 0.5, 0.25);
    EXPECT_NEAR(compose::truePeakDecibels(slow), compose::samplePeakDecibels(slow), 0.01);
}

TEST(ComposeMeasure, LimiterHoldsTheCeilingAndLeavesQuietPartsAlone)
{
    // A quiet tone with three loud bursts, one of them a single sample.
    StereoBuffer audio = sine(220.0, 2.0, 0.3, 0.3);
    for (double burst : {0.5, 1.0})
        for (std::size_t n = compose::sampleAt(burst); n < compose::sampleAt(burst + 0.05); ++n)
            audio.left[n] *= 6.0f;
    audio.right[compose::sampleAt(1.5)] = 1.9f;
    StereoBuffer original = audio;

    double deepest = compose::limitPeaks(audio, 0.5, 0.005, 0.1);
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        ASSERT_LE(std::fabs(audio.left[n]), 0.5f + 1e-6f) << n;
        ASSERT_LE(std::fabs(audio.right[n]), 0.5f + 1e-6f) << n;
    }
    EXPECT_NEAR(deepest, 20.0 * std::log10(0.5 / 1.9), 0.2);
    // Before the first burst nothing changed; after each one the gain has come back.
    for (double at : {0.1, 0.3, 0.49}) {
        std::size_t n = compose::sampleAt(at);
        EXPECT_FLOAT_EQ(audio.left[n], original.left[n]) << at;
    }
    for (double at : {0.9, 1.45, 1.95}) {
        std::size_t n = compose::sampleAt(at) + 50;  // off the sine's zero crossings
        EXPECT_NEAR(audio.left[n] / original.left[n], 1.0, 0.03) << at;
    }
    // Inside a burst the gain is smooth: no step larger than the signal's own motion.
    std::size_t middle = compose::sampleAt(0.525);
    EXPECT_NEAR(std::fabs(audio.left[middle] / original.left[middle]), 0.5 / 1.8, 0.05);
}

TEST(ComposeMeasure, KickDuckDipsAtEachKickAndRecovers)
{
    std::vector<compose::DrumHit> hits = {{compose::Drum::Kick, 0.5, 1.0},
                                          {compose::Drum::Clap, 1.0, 1.0},
                                          {compose::Drum::Kick, 1.5, 0.5}};
    std::vector<float> gain = compose::kickDuck(hits, kSampleRate * 2, 0.6, 0.1);
    auto at = [&](double seconds) { return gain[compose::sampleAt(seconds)]; };
    EXPECT_FLOAT_EQ(at(0.45), 1.0f);
    EXPECT_NEAR(at(0.505), 1.0 - 0.6 * std::exp(-0.05), 0.01);
    EXPECT_NEAR(at(0.6), 1.0 - 0.6 * std::exp(-1.0), 0.01);
    EXPECT_GT(at(1.1), 0.99f);  // a clap does not duck
    EXPECT_NEAR(at(1.505), 1.0 - 0.3 * std::exp(-0.05), 0.01);
}

TEST(ComposeMeasure, ReverbDecaysAtItsSetRateAndSpreadsWide)
{
    StereoBuffer impulse(kSampleRate);
    impulse.left[100] = 1.0f;
    impulse.right[100] = 1.0f;
    compose::ReverbSettings settings;
    settings.decaySeconds = 2.0;
    StereoBuffer wet = compose::reverb(impulse, settings, 2.0);
    ASSERT_EQ(wet.frames(), std::size_t(3 * kSampleRate));
    EXPECT_EQ(energy(wet.left, 0.0, settings.preDelaySeconds), 0.0);

    // Late energy falls by about 60 dB per decay time; damping makes it a little faster.
    double early = energy(wet.left, 0.3, 0.5) + energy(wet.right, 0.3, 0.5);
    double late = energy(wet.left, 1.3, 1.5) + energy(wet.right, 1.3, 1.5);
    double fallPerSecond = 10.0 * std::log10(early / late);
    EXPECT_GT(fallPerSecond, 60.0 / settings.decaySeconds * 0.8);
    EXPECT_LT(fallPerSecond, 60.0 / settings.decaySeconds * 1.6);

    // The two sides are different, so a centred source gains width.
    double same = 0.0, left = 0.0, right = 0.0;
    for (std::size_t n = 0; n < wet.frames(); ++n) {
        same += double(wet.left[n]) * wet.right[n];
        left += double(wet.left[n]) * wet.left[n];
        right += double(wet.right[n]) * wet.right[n];
    }
    EXPECT_LT(std::fabs(same) / std::sqrt(left * right), 0.5);
}

TEST(ComposeMeasure, EchoesAlternateLeftAndRightAndFade)
{
    StereoBuffer impulse(kSampleRate * 2);
    impulse.left[0] = 1.0f;
    impulse.right[0] = 1.0f;
    double delay = 0.25;
    StereoBuffer wet = compose::pingPongDelay(impulse, delay, 0.5);
    auto loudestSide = [&](int repeat) {
        double from = repeat * delay - 0.01, to = repeat * delay + 0.03;
        return std::make_pair(energy(wet.left, from, to), energy(wet.right, from, to));
    };
    auto [firstLeft, firstRight] = loudestSide(1);
    auto [secondLeft, secondRight] = loudestSide(2);
    auto [thirdLeft, thirdRight] = loudestSide(3);
    EXPECT_GT(firstLeft, 100.0 * firstRight);
    EXPECT_GT(secondRight, 100.0 * secondLeft);
    EXPECT_GT(thirdLeft, 100.0 * thirdRight);
    EXPECT_LT(thirdLeft, firstLeft * 0.5);
    EXPECT_EQ(energy(wet.left, 0.0, delay - 0.01) + energy(wet.right, 0.0, delay - 0.01), 0.0);
}

TEST(ComposeMeasure, NoiseIsTheSameForTheSameSeed)
{
    compose::Noise a(42), b(42), c(43);
    bool differs = false;
    double sum = 0.0;
    for (int i = 0; i < 10000; ++i) {
        double value = a.next();
        ASSERT_EQ(value, b.next());
        ASSERT_GE(value, -1.0);
        ASSERT_LT(value, 1.0);
        differs = differs || value != c.next();
        sum += value;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 10000.0, 0.0, 0.05);
}
