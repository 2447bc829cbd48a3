// The mix: levels, pans and sends per part, the master chain, and the fade at the end.
#include "tools/compose/Mixdown.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/compose/Dsp.h"
#include "tools/compose/Effects.h"
#include "tools/compose/Instruments.h"
#include "tools/compose/LeadVoice.h"
#include "tools/compose/Loudness.h"

namespace compose {

namespace {

// From a quarter second after the final chord's hit (56.25 s) to the end of the track.
constexpr double kFadeSeconds = 1.4;

// Adds `source` × `gain` to `target`; a mono source is placed with an equal-power pan and an
// optional per-sample gain (the kick's duck).
void addMono(StereoBuffer& target, const std::vector<float>& source, double gain, double pan,
             const std::vector<float>* duck = nullptr)
{
    double angle = (pan + 1.0) * kPi / 4.0;
    double left = gain * std::cos(angle) * std::sqrt(2.0);
    double right = gain * std::sin(angle) * std::sqrt(2.0);
    std::size_t frames = std::min(target.frames(), source.size());
    for (std::size_t n = 0; n < frames; ++n) {
        double value = source[n] * (duck != nullptr ? (*duck)[n] : 1.0f);
        target.left[n] += float(value * left);
        target.right[n] += float(value * right);
    }
}

void addStereo(StereoBuffer& target, const StereoBuffer& source, double gain, const std::vector<float>* duck = nullptr)
{
    std::size_t frames = std::min(target.frames(), source.frames());
    for (std::size_t n = 0; n < frames; ++n) {
        double scale = gain * (duck != nullptr ? (*duck)[n] : 1.0f);
        target.left[n] += float(source.left[n] * scale);
        target.right[n] += float(source.right[n] * scale);
    }
}

// Every part rendered alone, dry.
struct Parts {
    explicit Parts(std::size_t frames)
        : kick(frames, 0.0f), clap(frames, 0.0f), hats(frames), cymbals(frames), bass(frames, 0.0f), pad(frames),
          pluck(frames), lead(frames, 0.0f), harmony(frames, 0.0f)
    {
    }
    std::vector<float> kick;
    std::vector<float> clap;
    StereoBuffer hats;
    StereoBuffer cymbals;  // the crash and the risers
    std::vector<float> bass;
    StereoBuffer pad;
    StereoBuffer pluck;
    std::vector<float> lead;
    std::vector<float> harmony;
};

void renderDrums(const Score& score, Parts& parts)
{
    Noise drumNoise(0xD2D2D2);
    for (const DrumHit& hit : score.drums) {
        switch (hit.drum) {
        case Drum::Kick: addKick(parts.kick, hit.time, hit.velocity); break;
        case Drum::Clap: addClap(parts.clap, hit.time, hit.velocity, drumNoise); break;
        case Drum::ClosedHat: addHat(parts.hats, hit.time, hit.velocity, false, drumNoise); break;
        case Drum::OpenHat: addHat(parts.hats, hit.time, hit.velocity, true, drumNoise); break;
        case Drum::Crash: addCrash(parts.cymbals, hit.time, hit.velocity, drumNoise); break;
        }
    }
    Noise riserNoise(0x51CE);
    for (const Riser& riser : score.risers)
        addRiser(parts.cymbals, riser, riserNoise);
}

void renderChords(const Score& score, Parts& parts)
{
    for (const Note& note : score.bass)
        addBass(parts.bass, note);
    for (const Note& note : score.pad)
        addPad(parts.pad, note);
    for (const Note& note : score.pluck)
        addPluck(parts.pluck, note);
}

void renderVoices(const Score& score, Parts& parts)
{
    addVoice(parts.lead, score.lead, {1.0, 1.0, 0x1EAD});
    addVoice(parts.harmony, score.harmony, {0.92, 0.55, 0x4A4A});
}

// The parts at their levels and pans over the reverb's and the echo's returns. Sustained parts
// breathe with the kick; the drums and the voice are left alone.
std::optional<StereoBuffer> mixParts(const Score& score, const Parts& parts, std::size_t frames,
                                     const std::function<bool()>& stop)
{
    std::vector<float> deepDuck = kickDuck(score.drums, frames, 0.55, 0.11);
    std::vector<float> lightDuck = kickDuck(score.drums, frames, 0.3, 0.09);

    StereoBuffer reverbSend(frames);
    addMono(reverbSend, parts.clap, 0.3, 0.0);
    addStereo(reverbSend, parts.cymbals, 0.15);
    addStereo(reverbSend, parts.pad, 0.35, &deepDuck);
    addStereo(reverbSend, parts.pluck, 0.3, &lightDuck);
    addMono(reverbSend, parts.lead, 0.28, 0.0);
    addMono(reverbSend, parts.harmony, 0.35, -0.4);
    StereoBuffer delaySend(frames);
    addStereo(delaySend, parts.pluck, 0.35);
    addMono(delaySend, parts.lead, 0.16, 0.0);
    if (stop())
        return std::nullopt;
    StereoBuffer reverbReturn = reverb(reverbSend, {}, 0.0);
    StereoBuffer delayReturn = pingPongDelay(delaySend, 3.0 * kSixteenthSeconds, 0.38);
    if (stop())
        return std::nullopt;

    StereoBuffer mix(frames);
    addMono(mix, parts.kick, 0.55, 0.0);
    addMono(mix, parts.clap, 0.55, 0.0);
    addStereo(mix, parts.hats, 0.55);
    addStereo(mix, parts.cymbals, 0.45);
    addMono(mix, parts.bass, 1.0, 0.0, &lightDuck);
    addStereo(mix, parts.pad, 1.0, &deepDuck);
    addStereo(mix, parts.pluck, 0.75, &lightDuck);
    addMono(mix, parts.lead, 1.0, 0.0);
    addMono(mix, parts.harmony, 0.55, -0.35);
    addStereo(mix, reverbReturn, 0.55, &lightDuck);
    addStereo(mix, delayReturn, 0.45);
    return mix;
}

// Below 28 Hz there is nothing musical, only excursion that steals headroom; then the fade.
void filterAndFade(StereoBuffer& mix)
{
    std::size_t frames = mix.frames();
    Biquad rumbleLeft = Biquad::highPass(28.0, 0.7);
    Biquad rumbleRight = Biquad::highPass(28.0, 0.7);
    std::size_t fadeStart = frames - std::size_t(kFadeSeconds * kSampleRate);
    for (std::size_t n = 0; n < frames; ++n) {
        double fade = 1.0;
        if (n >= fadeStart) {
            double progress = double(n - fadeStart) / double(frames - fadeStart);
            fade = 0.5 + 0.5 * std::cos(kPi * progress);
        }
        mix.left[n] = float(rumbleLeft.process(mix.left[n]) * fade);
        mix.right[n] = float(rumbleRight.process(mix.right[n]) * fade);
    }
}

// The master to its loudness, then under its ceiling.
MixReport master(StereoBuffer& mix)
{
    double makeUp = kTargetLufs - integratedLoudness(mix);
    double gain = decibelsToGain(makeUp);
    for (std::size_t n = 0; n < mix.frames(); ++n) {
        mix.left[n] = float(mix.left[n] * gain);
        mix.right[n] = float(mix.right[n] * gain);
    }
    double limiting = limitPeaks(mix, decibelsToGain(kCeilingDecibels), 0.005, 0.12);
    return {makeUp, limiting};
}

}  // namespace

std::optional<StereoBuffer> mixdown(const Score& score, MixReport* report, const std::function<bool()>& stopRequested,
                                    const std::function<void(int)>& stepDone)
{
    std::function<bool()> stop = [&] { return stopRequested && stopRequested(); };
    int steps = 0;
    // After each stage: its count told, then whether to go on.
    auto goOn = [&] {
        if (stepDone)
            stepDone(++steps);
        return !stop();
    };
    std::size_t frames = sampleAt(score.seconds);
    if (stop())
        return std::nullopt;
    Parts parts(frames);
    renderDrums(score, parts);
    if (!goOn())
        return std::nullopt;
    renderChords(score, parts);
    if (!goOn())
        return std::nullopt;
    renderVoices(score, parts);
    if (!goOn())
        return std::nullopt;

    std::optional<StereoBuffer> mix = mixParts(score, parts, frames, stop);
    if (!mix || !goOn())
        return std::nullopt;
    filterAndFade(*mix);
    if (!goOn())
        return std::nullopt;
    MixReport mastered = master(*mix);
    if (report != nullptr)
        *report = mastered;
    if (stepDone)
        stepDone(++steps);
    return mix;
}

}  // namespace compose
