// A wordless singer: pitch with glide, scoop and vibrato; an amplitude contour that dips
// between syllables; a sawtooth source shaped by three formant band-passes whose vowel changes
// from note to note; and a little breath.
#include "tools/compose/LeadVoice.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/compose/Dsp.h"
#include "tools/compose/Instruments.h"
#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

namespace {

struct Vowel {
    std::array<double, 3> hertz;
    std::array<double, 3> gain;
};

// Open vowels of a light voice: "ah", "oh", "eh", "aw". Closed vowels ("ee", "oo") muffle a
// synthetic voice, so they are left out.
constexpr std::array<Vowel, 4> kVowels = {{
    {{800.0, 1200.0, 2800.0}, {1.0, 0.55, 0.28}},
    {{550.0, 950.0, 2700.0}, {1.0, 0.5, 0.22}},
    {{600.0, 1800.0, 2650.0}, {1.0, 0.45, 0.3}},
    {{700.0, 1050.0, 2750.0}, {1.0, 0.5, 0.25}},
}};
constexpr std::array<double, 3> kFormantQ = {7.0, 9.0, 12.0};

constexpr double kLegatoGap = 0.03;       // notes closer than this glide instead of restarting
constexpr double kGlideSeconds = 0.018;  // time constant: the slide is over in about 50 ms
constexpr double kScoopSemitones = -0.6;  // a detached note starts a little flat and rises
constexpr double kVibratoHertz = 5.3;
constexpr double kVibratoSemitones = 0.22;

}  // namespace

void addVoice(std::vector<float>& bus, const std::vector<Note>& notes, const VoiceCharacter& character)
{
    if (notes.empty())
        return;
    Noise noise(character.seed);
    SawOscillator saw;
    OnePole tilt;
    tilt.setCutoff(1800.0);
    std::array<StateVariableFilter, 3> formants;
    StateVariableFilter breathBand;
    breathBand.setCutoff(3200.0, 1.2);
    Biquad consonantTone = Biquad::highPass(4500.0, 0.7);

    double pitch = notes.front().pitch + kScoopSemitones;
    double level = 0.0;
    std::array<double, 3> formantHertz = kVowels[0].hertz;
    std::array<double, 3> formantGain = kVowels[0].gain;
    double vibratoPhase = 0.0;

    std::size_t first = sampleAt(notes.front().start);
    const Note& lastNote = notes.back();
    std::size_t end = std::min(bus.size(), sampleAt(lastNote.start + lastNote.duration + 0.4));
    std::size_t current = 0;  // the note sounding or about to sound
    double noteAge = 0.0;
    double consonant = 0.0;

    for (std::size_t sample = first; sample < end; ++sample) {
        double t = double(sample) / kSampleRate;
        while (current + 1 < notes.size() && t >= notes[current + 1].start) {
            const Note& before = notes[current];
            ++current;
            const Note& now = notes[current];
            bool legato = now.start - (before.start + before.duration) < kLegatoGap;
            if (!legato)
                pitch = now.pitch + kScoopSemitones;
            consonant = 0.05 + 0.1 * (0.5 + 0.5 * noise.next());
        }
        if (sample == first)
            consonant = 0.1;
        const Note& note = notes[current];
        noteAge = t - note.start;

        // The level falls briefly before a following note that starts at once, like the
        // consonant between two sung syllables.
        double noteEnd = note.start + note.duration;
        bool nextFollows = current + 1 < notes.size() && notes[current + 1].start - noteEnd < kLegatoGap;
        double target = 0.0;
        if (t >= note.start && t < noteEnd)
            target = (nextFollows && noteEnd - t < 0.03) ? 0.45 : 1.0 - 0.12 * std::min(1.0, noteAge / 0.8);
        double rate = target > level ? 1.0 / (0.012 * kSampleRate) : 1.0 / (0.045 * kSampleRate);
        level += (target - level) * rate;

        pitch += (note.pitch - pitch) / (kGlideSeconds * kSampleRate);
        double vibratoDepth = std::clamp((noteAge - 0.18) / 0.3, 0.0, 1.0) * kVibratoSemitones;
        vibratoPhase += 2.0 * kPi * kVibratoHertz / kSampleRate;
        double sungPitch = pitch + vibratoDepth * std::sin(vibratoPhase);

        if (sample % 32 == 0) {
            const Vowel& vowel = kVowels[(current * 3 + std::size_t(note.pitch)) % kVowels.size()];
            for (std::size_t f = 0; f < 3; ++f) {
                double targetHertz = vowel.hertz[f] * character.formantScale;
                formantHertz[f] += (targetHertz - formantHertz[f]) * 0.12;
                formantGain[f] += (vowel.gain[f] - formantGain[f]) * 0.12;
                formants[f].setCutoff(formantHertz[f], kFormantQ[f]);
            }
        }

        double source = tilt.lowPass(saw.next(midiToHertz(sungPitch)));
        double voiced = 0.18 * source;
        for (std::size_t f = 0; f < 3; ++f)
            voiced += formants[f].process(source).bandPass * formantGain[f] / kFormantQ[f];
        double breath = breathBand.process(noise.next()).bandPass * 0.02;
        consonant *= 0.9985;
        double hiss = consonantTone.process(noise.next()) * consonant;
        double value = (voiced + breath) * level + hiss * std::min(1.0, level * 2.0 + 0.3);
        bus[sample] += float(value * character.level);
    }
}

}  // namespace compose
