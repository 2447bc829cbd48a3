// Reverb, echo, kick ducking and the peak limiter.
#include "tools/compose/Effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

#include "tools/compose/Dsp.h"
#include "tools/compose/Instruments.h"

namespace compose {

namespace {

// A delay line of fixed length that is read before it is written each sample.
class DelayLine {
public:
    explicit DelayLine(std::size_t length) : samples(std::max<std::size_t>(length, 1), 0.0) {}
    double read() const { return samples[position]; }
    void write(double value)
    {
        samples[position] = value;
        position = position + 1 == samples.size() ? 0 : position + 1;
    }

private:
    std::vector<double> samples;
    std::size_t position = 0;
};

// A Schroeder all-pass: smears transients into a dense wash without colouring the spectrum.
class AllPass {
public:
    AllPass(std::size_t length, double feedback) : line(length), gain(feedback) {}
    double process(double input)
    {
        double delayed = line.read();
        double written = input + gain * delayed;
        line.write(written);
        return delayed - gain * written;
    }

private:
    DelayLine line;
    double gain;
};

}  // namespace

StereoBuffer reverb(const StereoBuffer& input, const ReverbSettings& settings, double tailSeconds)
{
    // Mutually prime lengths (32 to 66 ms) so the echoes never line up into a pitched ring.
    static constexpr std::array<std::size_t, 8> kLengths = {1423, 1637, 1861, 2053, 2269, 2459, 2707, 2903};
    std::vector<DelayLine> lines;
    std::array<double, 8> loopGain{};
    std::array<OnePole, 8> damping;
    for (std::size_t i = 0; i < kLengths.size(); ++i) {
        lines.emplace_back(kLengths[i]);
        loopGain[i] = std::pow(10.0, -3.0 * double(kLengths[i]) / (settings.decaySeconds * kSampleRate));
        damping[i].setCutoff(settings.dampingHertz);
    }
    DelayLine preDelayLeft(std::size_t(settings.preDelaySeconds * kSampleRate));
    DelayLine preDelayRight(std::size_t(settings.preDelaySeconds * kSampleRate));
    std::array<AllPass, 4> diffusers = {AllPass(142, 0.6), AllPass(379, 0.6), AllPass(157, 0.6), AllPass(401, 0.6)};

    std::size_t frames = input.frames() + std::size_t(tailSeconds * kSampleRate);
    StereoBuffer wet(frames);
    std::array<double, 8> outputs{};
    for (std::size_t n = 0; n < frames; ++n) {
        double left = n < input.frames() ? input.left[n] : 0.0;
        double right = n < input.frames() ? input.right[n] : 0.0;
        double delayedLeft = preDelayLeft.read();
        double delayedRight = preDelayRight.read();
        preDelayLeft.write(left);
        preDelayRight.write(right);
        double feedLeft = diffusers[1].process(diffusers[0].process(delayedLeft));
        double feedRight = diffusers[3].process(diffusers[2].process(delayedRight));

        double sum = 0.0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            outputs[i] = damping[i].lowPass(lines[i].read()) * loopGain[i];
            sum += outputs[i];
        }
        // Householder feedback: every line feeds every other, energy preserved before the
        // loop gains, which gives a dense tail from only eight lines.
        double reflection = sum * (2.0 / double(lines.size()));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            double feed = i % 2 == 0 ? feedLeft : feedRight;
            lines[i].write(outputs[i] - reflection + feed);
        }
        wet.left[n] = float(0.35 * (outputs[0] - outputs[1] + outputs[2] + outputs[3] - outputs[4] - outputs[6] + outputs[7]));
        wet.right[n] = float(0.35 * (outputs[0] + outputs[1] - outputs[2] + outputs[4] + outputs[5] - outputs[6] - outputs[7]));
    }
    return wet;
}

StereoBuffer pingPongDelay(const StereoBuffer& input, double delaySeconds, double feedback)
{
    std::size_t length = std::size_t(std::llround(delaySeconds * kSampleRate));
    DelayLine leftLine(length);
    DelayLine rightLine(length);
    OnePole darken;
    darken.setCutoff(3500.0);
    Biquad thin = Biquad::highPass(300.0, 0.7);
    StereoBuffer wet(input.frames());
    for (std::size_t n = 0; n < input.frames(); ++n) {
        double fromLeft = leftLine.read();
        double fromRight = rightLine.read();
        double mono = 0.5 * (input.left[n] + input.right[n]);
        leftLine.write(mono + feedback * thin.process(darken.lowPass(fromRight)));
        rightLine.write(fromLeft);
        wet.left[n] = float(fromLeft);
        wet.right[n] = float(fromRight);
    }
    return wet;
}

std::vector<float> kickDuck(const std::vector<DrumHit>& hits, std::size_t frames, double depth, double recoverySeconds)
{
    std::vector<float> gain(frames, 1.0f);
    for (const DrumHit& hit : hits) {
        if (hit.drum != Drum::Kick)
            continue;
        std::size_t start = sampleAt(hit.time);
        std::size_t length = std::size_t(recoverySeconds * 6.0 * kSampleRate);
        for (std::size_t i = 0; i < length && start + i < frames; ++i) {
            double t = double(i) / kSampleRate;
            // A 5 ms fall instead of a step keeps the duck itself from clicking.
            double envelope = std::min(1.0, t / 0.005) * std::exp(-t / recoverySeconds);
            float ducked = float(1.0 - depth * hit.velocity * envelope);
            gain[start + i] = std::min(gain[start + i], ducked);
        }
    }
    return gain;
}

double limitPeaks(StereoBuffer& audio, double ceiling, double lookAheadSeconds, double releaseSeconds)
{
    std::size_t frames = audio.frames();
    std::size_t window = std::max<std::size_t>(1, std::size_t(lookAheadSeconds * kSampleRate));
    std::vector<double> required(frames, 1.0);
    for (std::size_t n = 0; n < frames; ++n) {
        double peak = std::max(std::fabs(audio.left[n]), std::fabs(audio.right[n]));
        if (peak > ceiling)
            required[n] = ceiling / peak;
    }

    // The smallest required gain over the coming window (a monotonic deque keeps it cheap),
    // then an instant fall and a slow exponential recovery.
    std::vector<double> held(frames, 1.0);
    std::deque<std::size_t> candidates;
    double release = 1.0 - std::exp(-1.0 / (releaseSeconds * kSampleRate));
    double recovering = 1.0;
    std::size_t next = 0;
    for (std::size_t n = 0; n < frames; ++n) {
        std::size_t last = std::min(frames - 1, n + window);
        for (; next <= last; ++next) {
            while (!candidates.empty() && required[candidates.back()] >= required[next])
                candidates.pop_back();
            candidates.push_back(next);
        }
        while (candidates.front() < n)
            candidates.pop_front();
        double lowest = required[candidates.front()];
        recovering = std::min(lowest, recovering + (1.0 - recovering) * release);
        held[n] = recovering;
    }

    // Averaging over the window turns the fall into a ramp. Every value averaged for sample n
    // was at most the gain that sample n requires, so the average is too.
    double deepest = 1.0;
    double runningSum = 0.0;
    for (std::size_t n = 0; n < frames; ++n) {
        runningSum += held[n];
        std::size_t count = std::min(n + 1, window + 1);
        if (n >= window + 1)
            runningSum -= held[n - window - 1];
        double gain = (runningSum + double(window + 1 - count)) / double(window + 1);
        gain = std::min(gain, required[n]);
        deepest = std::min(deepest, gain);
        audio.left[n] = float(audio.left[n] * gain);
        audio.right[n] = float(audio.right[n] * gain);
    }
    return 20.0 * std::log10(deepest);
}

}  // namespace compose
