// Oscillators, filters and the noise source shared by every instrument.
#include "tools/compose/Dsp.h"

#include <cmath>

#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

double midiToHertz(double midiPitch)
{
    return 440.0 * std::pow(2.0, (midiPitch - 69.0) / 12.0);
}

double decibelsToGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

double Noise::next()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    uint64_t mixed = state * 0x2545F4914F6CDD1Dull;
    return double(mixed >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

namespace {

// The polyBLEP residual: subtracting it around a discontinuity removes most of the aliasing.
double polyBlep(double phase, double increment)
{
    if (phase < increment) {
        double t = phase / increment;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - increment) {
        double t = (phase - 1.0) / increment;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

double SawOscillator::next(double hertz)
{
    double increment = hertz / kSampleRate;
    double value = 2.0 * phase - 1.0 - polyBlep(phase, increment);
    phase += increment;
    if (phase >= 1.0)
        phase -= 1.0;
    return value;
}

double PulseOscillator::next(double hertz)
{
    double increment = hertz / kSampleRate;
    double value = phase < width ? 1.0 : -1.0;
    value += polyBlep(phase, increment);
    double shifted = phase - width;
    if (shifted < 0.0)
        shifted += 1.0;
    value -= polyBlep(shifted, increment);
    phase += increment;
    if (phase >= 1.0)
        phase -= 1.0;
    return value;
}

void StateVariableFilter::setCutoff(double hertz, double resonanceQ)
{
    double limited = std::fmin(hertz, kSampleRate * 0.45);
    g = std::tan(kPi * limited / kSampleRate);
    k = 1.0 / resonanceQ;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

StateVariableFilter::Outputs StateVariableFilter::process(double input)
{
    double v3 = input - state2;
    double v1 = a1 * state1 + a2 * v3;
    double v2 = state2 + a2 * state1 + a3 * v3;
    state1 = 2.0 * v1 - state1;
    state2 = 2.0 * v2 - state2;
    return {v2, v1, input - k * v1 - v2};
}

Biquad Biquad::fromCoefficients(double b0, double b1, double b2, double a1, double a2)
{
    Biquad filter;
    filter.b0 = b0;
    filter.b1 = b1;
    filter.b2 = b2;
    filter.a1 = a1;
    filter.a2 = a2;
    return filter;
}

Biquad Biquad::highPass(double hertz, double resonanceQ)
{
    double w = 2.0 * kPi * hertz / kSampleRate;
    double alpha = std::sin(w) / (2.0 * resonanceQ);
    double cosw = std::cos(w);
    double a0 = 1.0 + alpha;
    return fromCoefficients((1.0 + cosw) / 2.0 / a0, -(1.0 + cosw) / a0, (1.0 + cosw) / 2.0 / a0,
                            -2.0 * cosw / a0, (1.0 - alpha) / a0);
}

Biquad Biquad::lowPass(double hertz, double resonanceQ)
{
    double w = 2.0 * kPi * hertz / kSampleRate;
    double alpha = std::sin(w) / (2.0 * resonanceQ);
    double cosw = std::cos(w);
    double a0 = 1.0 + alpha;
    return fromCoefficients((1.0 - cosw) / 2.0 / a0, (1.0 - cosw) / a0, (1.0 - cosw) / 2.0 / a0,
                            -2.0 * cosw / a0, (1.0 - alpha) / a0);
}

double Biquad::process(double input)
{
    double output = b0 * input + z1;
    z1 = b1 * input - a1 * output + z2;
    z2 = b2 * input - a2 * output;
    return output;
}

void OnePole::setCutoff(double hertz)
{
    coefficient = 1.0 - std::exp(-2.0 * kPi * hertz / kSampleRate);
}

double OnePole::lowPass(double input)
{
    state += coefficient * (input - state);
    return state;
}

}  // namespace compose
