// How each accompanying instrument sounds: envelopes, filters and oscillators per event.
#include "tools/compose/Instruments.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace compose {

std::size_t sampleAt(double seconds)
{
    return std::size_t(std::llround(std::max(0.0, seconds) * kSampleRate));
}

namespace {

// Number of samples of an event of `seconds`, clipped to what is left of the bus.
std::size_t lengthWithin(std::size_t busFrames, std::size_t start, double seconds)
{
    if (start >= busFrames)
        return 0;
    return std::min(busFrames - start, std::size_t(seconds * kSampleRate));
}

// Equal-power pan: -1 is hard left, +1 hard right.
std::pair<double, double> panGains(double pan)
{
    double angle = (pan + 1.0) * kPi / 4.0;
    return {std::cos(angle), std::sin(angle)};
}

// A few square waves at unrelated frequencies: the metallic ring under a cymbal's noise.
class MetalTone {
public:
    double next()
    {
        static constexpr std::array<double, 6> kHertz = {317.0, 443.0, 561.0, 787.0, 1049.0, 1331.0};
        double sum = 0.0;
        for (size_t i = 0; i < kHertz.size(); ++i) {
            phases[i] += kHertz[i] / kSampleRate;
            phases[i] -= std::floor(phases[i]);
            sum += phases[i] < 0.5 ? 1.0 : -1.0;
        }
        return sum / double(kHertz.size());
    }

private:
    std::array<double, 6> phases{};
};

}  // namespace

void addKick(std::vector<float>& bus, double time, double velocity)
{
    std::size_t start = sampleAt(time);
    std::size_t length = lengthWithin(bus.size(), start, 0.45);
    double phase = 0.0;
    Noise click(0xC11C);
    StateVariableFilter clickTone;
    clickTone.setCutoff(3500.0, 0.7);
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        // A fast downward pitch sweep is what makes the thump; the tail sits near 50 Hz.
        double hertz = 49.0 + 120.0 * std::exp(-t / 0.03) + 60.0 * std::exp(-t / 0.005);
        phase += 2.0 * kPi * hertz / kSampleRate;
        double body = std::sin(phase) * std::exp(-t / 0.22) * std::min(1.0, t / 0.0008);
        double tail = std::min(1.0, (0.45 - t) / 0.03);
        double snap = clickTone.process(click.next()).bandPass * std::exp(-t / 0.004) * 0.5;
        // Soft saturation adds the harmonics that let small speakers suggest the low note.
        double value = std::tanh(1.8 * body) / std::tanh(1.8) * tail + snap;
        bus[start + i] += float(value * velocity);
    }
}

void addClap(std::vector<float>& bus, double time, double velocity, Noise& noise)
{
    std::size_t start = sampleAt(time);
    std::size_t length = lengthWithin(bus.size(), start, 0.35);
    StateVariableFilter band;
    band.setCutoff(1300.0, 1.1);
    Biquad lowCut = Biquad::highPass(400.0, 0.7);
    double bodyPhase = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        // Three quick hand-claps smeared into one, then the room's tail.
        double bursts = 0.0;
        for (double offset : {0.0, 0.011, 0.021}) {
            if (t >= offset)
                bursts += std::exp(-(t - offset) / 0.005);
        }
        double envelope = std::min(1.0, bursts * 0.7) + 0.45 * std::exp(-t / 0.09);
        double tone = band.process(noise.next()).bandPass * 7.0;
        bodyPhase += 2.0 * kPi * 185.0 / kSampleRate;
        double body = std::sin(bodyPhase) * std::exp(-t / 0.04) * 0.8;
        // Saturating the noise keeps its random spikes from poking far above its body.
        double clap = std::tanh(0.5 * lowCut.process(tone * envelope)) * 1.6;
        bus[start + i] += float(velocity * (clap + body));
    }
}

void addHat(StereoBuffer& bus, double time, double velocity, bool open, Noise& noise)
{
    std::size_t start = sampleAt(time);
    double decay = open ? 0.16 : 0.032;
    std::size_t length = lengthWithin(bus.frames(), start, decay * 6.0);
    StateVariableFilter highs;
    highs.setCutoff(open ? 7000.0 : 8500.0, 0.8);
    MetalTone metal;
    auto [left, right] = panGains(open ? -0.25 : 0.3);
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        double source = noise.next() * 0.8 + metal.next() * 0.4;
        double value = highs.process(source).highPass * std::exp(-t / decay) * velocity * 1.0;
        bus.left[start + i] += float(value * left);
        bus.right[start + i] += float(value * right);
    }
}

void addCrash(StereoBuffer& bus, double time, double velocity, Noise& noise)
{
    std::size_t start = sampleAt(time);
    std::size_t length = lengthWithin(bus.frames(), start, 3.5);
    std::array<StateVariableFilter, 2> highs;
    for (StateVariableFilter& filter : highs)
        filter.setCutoff(4500.0, 0.6);
    MetalTone metal;
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        double envelope = (0.55 * std::exp(-t / 0.7) + 0.45 * std::exp(-t / 0.08)) * std::min(1.0, t / 0.001);
        double ring = metal.next() * 0.35;
        // Independent noise per side makes the cymbal wide.
        double left = highs[0].process(noise.next() + ring).highPass;
        double right = highs[1].process(noise.next() + ring).highPass;
        bus.left[start + i] += float(left * envelope * velocity * 0.5);
        bus.right[start + i] += float(right * envelope * velocity * 0.5);
    }
}

void addRiser(StereoBuffer& bus, const Riser& riser, Noise& noise)
{
    std::size_t start = sampleAt(riser.start);
    std::size_t length = lengthWithin(bus.frames(), start, riser.end - riser.start);
    std::array<StateVariableFilter, 2> sweeps;
    double seconds = riser.end - riser.start;
    for (std::size_t i = 0; i < length; ++i) {
        double progress = double(i) / kSampleRate / seconds;
        if (i % 32 == 0) {
            double hertz = 250.0 * std::pow(40.0, progress);
            for (StateVariableFilter& filter : sweeps)
                filter.setCutoff(hertz, 2.5);
        }
        // Cut off 15 ms before the downbeat, so the chorus lands on a clean edge.
        double remaining = (1.0 - progress) * seconds;
        double gate = std::clamp(remaining / 0.015, 0.0, 1.0);
        double envelope = progress * progress * progress * gate * 0.35;
        bus.left[start + i] += float(sweeps[0].process(noise.next()).bandPass * envelope);
        bus.right[start + i] += float(sweeps[1].process(noise.next()).bandPass * envelope);
    }
}

void addBass(std::vector<float>& bus, const Note& note)
{
    std::size_t start = sampleAt(note.start);
    double release = 0.03;
    std::size_t length = lengthWithin(bus.size(), start, note.duration + release);
    double hertz = midiToHertz(note.pitch);
    SawOscillator saw;
    double subPhase = 0.0;
    StateVariableFilter tone;
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        if (i % 16 == 0)
            tone.setCutoff(140.0 + (300.0 + 1400.0 * note.velocity) * std::exp(-t / 0.09), 1.1);
        double gate = t < note.duration ? 1.0 : std::max(0.0, 1.0 - (t - note.duration) / release);
        double envelope = std::min(1.0, t / 0.004) * gate * (0.75 + 0.25 * std::exp(-t / 0.15));
        subPhase += 2.0 * kPi * hertz / kSampleRate;
        double source = tone.process(saw.next(hertz)).lowPass * 0.55 + std::sin(subPhase) * 0.6;
        bus[start + i] += float(std::tanh(1.4 * source) * envelope * note.velocity);
    }
}

void addPad(StereoBuffer& bus, const Note& note)
{
    std::size_t start = sampleAt(note.start);
    double attack = 0.18;
    double release = 0.7;
    std::size_t length = lengthWithin(bus.frames(), start, note.duration + release);
    double hertz = midiToHertz(note.pitch);
    // Three saws a few cents apart: the outer two go to the sides for width.
    static constexpr std::array<double, 3> kCents = {-11.0, 0.0, 9.0};
    std::array<SawOscillator, 3> saws = {SawOscillator(0.13), SawOscillator(0.57), SawOscillator(0.81)};
    std::array<StateVariableFilter, 2> tone;
    double lowHertz = hertz * std::pow(2.0, kCents[0] / 1200.0);
    double highHertz = hertz * std::pow(2.0, kCents[2] / 1200.0);
    double cutoff = 500.0 + 2600.0 * note.velocity * note.velocity;
    for (StateVariableFilter& filter : tone)
        filter.setCutoff(cutoff, 0.75);
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        double rise = std::min(1.0, t / attack);
        double envelope = rise * rise * (3.0 - 2.0 * rise);
        if (t > note.duration)
            envelope *= std::exp(-(t - note.duration) / (release / 4.0));
        double low = saws[0].next(lowHertz);
        double middle = saws[1].next(hertz);
        double high = saws[2].next(highHertz);
        double left = tone[0].process(low + 0.6 * middle).lowPass;
        double right = tone[1].process(high + 0.6 * middle).lowPass;
        double gain = envelope * note.velocity * 0.16;
        bus.left[start + i] += float(left * gain);
        bus.right[start + i] += float(right * gain);
    }
}

void addPluck(StereoBuffer& bus, const Note& note)
{
    std::size_t start = sampleAt(note.start);
    double ring = 0.35;
    std::size_t length = lengthWithin(bus.frames(), start, note.duration + ring);
    double hertz = midiToHertz(note.pitch);
    SawOscillator saw(0.25);
    PulseOscillator pulse(0.3);
    StateVariableFilter tone;
    auto [leftGain, rightGain] = panGains(std::clamp((note.pitch - 74) / 14.0, -0.6, 0.6));
    for (std::size_t i = 0; i < length; ++i) {
        double t = double(i) / kSampleRate;
        if (i % 16 == 0)
            tone.setCutoff(350.0 + (900.0 + 5200.0 * note.velocity * note.velocity) * std::exp(-t / 0.07), 1.6);
        double envelope = std::min(1.0, t / 0.002) * std::exp(-t / 0.22);
        if (t > note.duration)
            envelope *= std::max(0.0, 1.0 - (t - note.duration) / ring);
        double value = tone.process(0.6 * saw.next(hertz) + 0.4 * pulse.next(hertz * 1.002)).lowPass;
        value *= envelope * note.velocity * 0.5;
        bus.left[start + i] += float(value * leftGain);
        bus.right[start + i] += float(value * rightGain);
    }
}

}  // namespace compose
