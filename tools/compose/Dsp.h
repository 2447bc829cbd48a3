// Small signal-processing parts the instruments are built from: a seeded noise source,
// band-limited oscillators, and filters that stay stable while their cutoff moves.
#pragma once

#include <cstdint>

namespace compose {

inline constexpr double kPi = 3.14159265358979323846;

double midiToHertz(double midiPitch);
double decibelsToGain(double decibels);

// xorshift64*: the same seed gives the same noise on every run and every machine.
class Noise {
public:
    explicit Noise(uint64_t seed) : state(seed == 0 ? 0x9E3779B97F4A7C15ull : seed) {}
    // Uniform in [-1, 1).
    double next();

private:
    uint64_t state;
};

// A sawtooth with polyBLEP corrections at the wrap, so high notes do not alias into hiss.
class SawOscillator {
public:
    explicit SawOscillator(double startPhase = 0.0) : phase(startPhase) {}
    double next(double hertz);

private:
    double phase;
};

// A pulse with polyBLEP corrections at both edges.
class PulseOscillator {
public:
    explicit PulseOscillator(double dutyCycle = 0.5) : width(dutyCycle) {}
    double next(double hertz);

private:
    double phase = 0.0;
    double width;
};

// Zavalishin's topology-preserving state-variable filter: its cutoff can be swept every
// sample without the clicks and blow-ups of a direct-form biquad.
class StateVariableFilter {
public:
    struct Outputs {
        double lowPass;
        double bandPass;
        double highPass;
    };
    void setCutoff(double hertz, double resonanceQ);
    Outputs process(double input);
    void reset() { state1 = state2 = 0.0; }

private:
    double g = 0.0;
    double k = 1.0;
    double a1 = 0.0, a2 = 0.0, a3 = 0.0;
    double state1 = 0.0, state2 = 0.0;
};

// A fixed biquad from the audio cookbook formulas; used where the coefficients never move.
class Biquad {
public:
    static Biquad highPass(double hertz, double resonanceQ);
    static Biquad lowPass(double hertz, double resonanceQ);
    static Biquad fromCoefficients(double b0, double b1, double b2, double a1, double a2);
    double process(double input);

private:
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double z1 = 0.0, z2 = 0.0;
};

// A one-pole smoother or tone control.
class OnePole {
public:
    void setCutoff(double hertz);
    double lowPass(double input);

private:
    double coefficient = 1.0;
    double state = 0.0;
};

}  // namespace compose
