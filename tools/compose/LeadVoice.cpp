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

// What the singer carries from one sample to the next.
struct Singer {
    explicit Singer(const std::vector<Note>& sung, const VoiceCharacter& voice)
        : notes(sung), character(voice), noise(voice.seed), pitch(sung.front().pitch + kScoopSemitones)
    {
        tilt.setCutoff(1800.0);
        breathBand.setCutoff(3200.0, 1.2);
    }

    const std::vector<Note>& notes;
    const VoiceCharacter& character;
    Noise noise;
    SawOscillator saw;
    OnePole tilt;
    std::array<StateVariableFilter, 3> formants;
    StateVariableFilter breathBand;
    Biquad consonantTone = Biquad::highPass(4500.0, 0.7);

    double pitch;
    double level = 0.0;
    std::array<double, 3> formantHertz = kVowels[0].hertz;
    std::array<double, 3> formantGain = kVowels[0].gain;
    double vibratoPhase = 0.0;
    std::size_t current = 0;  // the note sounding or about to sound
    double consonant = 0.0;
};

// Moves on to the notes that have begun by `t`: a detached one scoops up from below, and each
// starts with a little consonant.
void followNotes(Singer& singer, double t)
{
    const std::vector<Note>& notes = singer.notes;
    while (singer.current + 1 < notes.size() && t >= notes[singer.current + 1].start) {
        const Note& before = notes[singer.current];
        ++singer.current;
        const Note& now = notes[singer.current];
        bool legato = now.start - (before.start + before.duration) < kLegatoGap;
        if (!legato)
            singer.pitch = now.pitch + kScoopSemitones;
        singer.consonant = 0.05 + 0.1 * (0.5 + 0.5 * singer.noise.next());
    }
}

// The level falls briefly before a following note that starts at once, like the consonant
// between two sung syllables.
void followLevel(Singer& singer, double t, double noteAge)
{
    const std::vector<Note>& notes = singer.notes;
    const Note& note = notes[singer.current];
    double noteEnd = note.start + note.duration;
    bool nextFollows = singer.current + 1 < notes.size() && notes[singer.current + 1].start - noteEnd < kLegatoGap;
    double target = 0.0;
    if (t >= note.start && t < noteEnd)
        target = (nextFollows && noteEnd - t < 0.03) ? 0.45 : 1.0 - 0.12 * std::min(1.0, noteAge / 0.8);
    double rate = target > singer.level ? 1.0 / (0.012 * kSampleRate) : 1.0 / (0.045 * kSampleRate);
    singer.level += (target - singer.level) * rate;
}

// The formants glide towards the note's vowel.
void followVowel(Singer& singer)
{
    const Note& note = singer.notes[singer.current];
    const Vowel& vowel = kVowels[(singer.current * 3 + std::size_t(note.pitch)) % kVowels.size()];
    for (std::size_t f = 0; f < 3; ++f) {
        double targetHertz = vowel.hertz[f] * singer.character.formantScale;
        singer.formantHertz[f] += (targetHertz - singer.formantHertz[f]) * 0.12;
        singer.formantGain[f] += (vowel.gain[f] - singer.formantGain[f]) * 0.12;
        singer.formants[f].setCutoff(singer.formantHertz[f], kFormantQ[f]);
    }
}

// The sawtooth at the sung pitch through the formants, with breath and the consonant's hiss.
double sing(Singer& singer, double sungPitch)
{
    double source = singer.tilt.lowPass(singer.saw.next(midiToHertz(sungPitch)));
    double voiced = 0.18 * source;
    for (std::size_t f = 0; f < 3; ++f)
        voiced += singer.formants[f].process(source).bandPass * singer.formantGain[f] / kFormantQ[f];
    double breath = singer.breathBand.process(singer.noise.next()).bandPass * 0.02;
    singer.consonant *= 0.9985;
    double hiss = singer.consonantTone.process(singer.noise.next()) * singer.consonant;
    return (voiced + breath) * singer.level + hiss * std::min(1.0, singer.level * 2.0 + 0.3);
}

}  // namespace

void addVoice(std::vector<float>& bus, const std::vector<Note>& notes, const VoiceCharacter& character)
{
    if (notes.empty())
        return;
    Singer singer(notes, character);
    std::size_t first = sampleAt(notes.front().start);
    const Note& lastNote = notes.back();
    std::size_t end = std::min(bus.size(), sampleAt(lastNote.start + lastNote.duration + 0.4));
    for (std::size_t sample = first; sample < end; ++sample) {
        double t = double(sample) / kSampleRate;
        followNotes(singer, t);
        if (sample == first)
            singer.consonant = 0.1;
        const Note& note = notes[singer.current];
        double noteAge = t - note.start;
        followLevel(singer, t, noteAge);

        singer.pitch += (note.pitch - singer.pitch) / (kGlideSeconds * kSampleRate);
        double vibratoDepth = std::clamp((noteAge - 0.18) / 0.3, 0.0, 1.0) * kVibratoSemitones;
        singer.vibratoPhase += 2.0 * kPi * kVibratoHertz / kSampleRate;
        double sungPitch = singer.pitch + vibratoDepth * std::sin(singer.vibratoPhase);
        if (sample % 32 == 0)
            followVowel(singer);
        bus[sample] += float(sing(singer, sungPitch) * character.level);
    }
}

}  // namespace compose
