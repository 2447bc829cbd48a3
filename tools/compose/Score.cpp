// The score, written as tables a musician can read: the section plan, the chord chart, the
// melody with its lyric under each phrase, and one-bar drum patterns. The code below the
// tables only repeats patterns across bars and derives the bass, pad, arpeggio and harmony
// from the chords. Key: D major.
#include "tools/compose/Score.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include "tools/compose/Dsp.h"
#include "tools/compose/Notation.h"

namespace compose {

double barStart(int bar)
{
    return (bar - 1) * kBarSeconds;
}

double gridTime(int bar, int sixteenths)
{
    return barStart(bar) + sixteenths * kSixteenthSeconds;
}

double roundToHundredth(double seconds)
{
    return std::round(seconds * 100.0) / 100.0;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Section plan

const std::array<Section, 6> kSections = {{
    {"intro", 1, 4},
    {"verse 1", 5, 12},
    {"verse 2", 13, 20},
    {"pre-chorus", 21, 24},
    {"chorus", kChorusBar, kFinalBar - 1},
    {"ending", kFinalBar, kFinalBar},
}};

// ---------------------------------------------------------------------------------------------
// Chord chart: one entry per bar from bar 1; two symbols share the bar in halves.

const std::array<std::string_view, kFinalBar> kChords = {
    // intro
    "Bm", "Gmaj7", "D", "A",
    // verse 1
    "Bm", "Gmaj7", "D", "A", "Bm", "Gmaj7", "D", "A",
    // verse 2
    "Bm", "Gmaj7", "D", "A", "Bm", "Gmaj7", "D", "A",
    // pre-chorus
    "Em7", "F#m7", "G", "Asus4 A",
    // chorus: the hook, then the cadence into the final chord
    "D", "A/C#", "Bm", "Gadd9", "Gmaj7", "A",
    // ending
    "D",
};

// ---------------------------------------------------------------------------------------------
// Melody: each phrase starts at a bar and a sixteenth within it; lengths are in sixteenths.
// The words are the lyric rows of authoring/lyrics.txt: one syllable per note.

struct Phrase {
    int bar;
    int sixteenth;
    std::string_view notes;
};

const std::array<Phrase, 27> kMelody = {{
    // verse 1
    {5, 0, "F#4:2 F#4:2 A4:2 B4:3 A4:1 F#4:2 E4:2 D4:2"},   // Yel-low win-dows in the mor-ning
    {6, 0, "D4:3 E4:1 G4:2 F#4:2 D4:6"},                    // light a-cross the floor
    {7, 0, "F#4:2 F#4:2 A4:2 B4:2 A4:2 F#4:2 E4:4"},        // hum-ming with the ra-di-o
    {8, 0, "E4:3 F#4:1 E4:2 D4:2 C#4:6"},                   // lean-ing on the door
    {8, 14, "F#4:2 B4:2 A4:2 F#4:2 A4:2 B4:6"},             // a cam-era in my hand
    {10, 0, "G4:2 A4:2 B4:3 A4:1 G4:6"},                    // and the day was wide
    {11, 0, "F#4:2 A4:2 D5:2 C#5:2 B4:2 A4:2 A4:4"},        // ev-ery lit-tle thing we knew
    {12, 0, "C#5:3 B4:1 A4:3 F#4:1 E4:6"},                  // paint-ed gold and blue
    // verse 2
    {13, 0, "F#4:2 F#4:2 A4:3 B4:1 A4:2 F#4:2 D4:4"},       // Out a-cross the sum-mer fields
    {14, 0, "D4:3 E4:1 G4:2 F#4:2 D4:6"},                   // where the ri-ver bends
    {15, 0, "F#4:2 F#4:2 A4:2 B4:2 A4:2 F#4:2 E4:4"},       // ev-ery pic-ture that we took
    {16, 0, "E4:3 F#4:1 E4:2 D4:2 C#4:6"},                  // nev-er real-ly ends
    {17, 0, "B4:3 A4:1 B4:4 D5:2 C#5:2 B4:3"},              // hold the light, hold it still
    {18, 0, "G4:2 A4:2 B4:3 A4:1 G4:6"},                    // let the shut-ter fall
    {19, 0, "F#4:2 A4:2 D5:2 C#5:2 B4:2 A4:2 A4:4"},        // one more frame be-fore the dark
    {20, 0, "C#5:3 B4:1 A4:3 F#4:1 E4:6"},                  // and we saw it all
    // pre-chorus
    {21, 0, "G4:2 A4:2 B4:3 A4:1 G4:8"},                    // if the col-our fades
    {22, 0, "A4:2 B4:2 C#5:3 B4:1 A4:8"},                   // keep it in the frame
    {23, 0, "B4:3 D5:3 E5:2 D5:8"},                         // yel-low win-dows
    {24, 0, "E5:3 D5:3 E5:10"},                             // sum-mer fields
    // chorus: the hook, on the rhythm of "yel-low win-dows", without words
    {25, 0, "D5:3 C#5:3 B4:2 D5:4 r:2 A4:2"},
    {26, 0, "E5:3 D5:3 C#5:2 E5:6"},
    {27, 0, "F#5:3 E5:3 D5:2 B4:4 D5:4"},
    {28, 0, "E5:3 D5:3 B4:2 A4:6"},
    {29, 0, "F#5:3 E5:3 D5:2 E5:4 D5:2 B4:2"},
    {30, 0, "A4:3 B4:3 C#5:2 E5:8"},
    // ending: the last note is held while the track fades
    {kFinalBar, 0, "D5:11"},
}};

// The harmony voice doubles the lead a third below from this bar on.
constexpr int kHarmonyFromBar = 23;

// ---------------------------------------------------------------------------------------------
// Drums: one bar each, sixteen steps. 'X' accent, 'x' normal, 'o' ghost, '.' silent.

struct DrumBar {
    std::string_view kick;
    std::string_view clap;
    std::string_view closedHat;
    std::string_view openHat;
};

const DrumBar kIntroSoft = {"x...x...x...x...", "................", "................", "................"};
const DrumBar kIntro = {"X...X...X...X...", "................", "..o...o...o...o.", "................"};
const DrumBar kVerseOne = {"X...X...X...X...", "................", "..x...x...x...x.", "................"};
const DrumBar kVerseOneClap = {"X...X...X...X...", "....x.......x...", "o.x.o.x.o.x.o.x.", "................"};
const DrumBar kVerseTwo = {"X...X...X...X...", "....X.......X...", "xo.oxo.oxo.oxo.o", "..o...o...o...o."};
const DrumBar kBuildBreak = {"X...X...........", "x.x.xxxxXXXX....", "xoxoxoxo........", "................"};
const DrumBar kChorus = {"X...X...X...X...", "....X.......X...", "xo.oxo.oxo.oxo.o", "..X...X...X...X."};
const DrumBar kChorusFill = {"X...X...X...X...", "....X.......XxXX", "xo.oxo.oxo.o....", "..x...x...x....."};
const DrumBar kLastHit = {"X...............", "................", "................", "................"};

const DrumBar& drumBarFor(int bar)
{
    if (bar <= 2)
        return kIntroSoft;
    if (bar <= 4)
        return kIntro;
    if (bar <= 8)
        return kVerseOne;
    if (bar <= 12)
        return kVerseOneClap;
    if (bar <= 23)
        return kVerseTwo;
    if (bar == 24)
        return kBuildBreak;
    if (bar < kFinalBar - 1)
        return kChorus;
    if (bar == kFinalBar - 1)
        return kChorusFill;
    return kLastHit;
}

struct Crash {
    int bar;
    double velocity;
};
const std::array<Crash, 5> kCrashes = {{{5, 0.45}, {13, 0.55}, {kChorusBar, 1.0}, {29, 0.7}, {kFinalBar, 0.9}}};

// ---------------------------------------------------------------------------------------------
// Arrangement

double stepVelocity(char step)
{
    switch (step) {
    case 'X': return 1.0;
    case 'x': return 0.75;
    case 'o': return 0.45;
    case '.': return 0.0;
    default: throw std::invalid_argument(std::string("unknown drum step '") + step + "'");
    }
}

void addDrumBar(std::vector<DrumHit>& hits, int bar, const DrumBar& pattern, Noise& humanise)
{
    const std::array<std::pair<Drum, std::string_view>, 4> lanes = {{
        {Drum::Kick, pattern.kick},
        {Drum::Clap, pattern.clap},
        {Drum::ClosedHat, pattern.closedHat},
        {Drum::OpenHat, pattern.openHat},
    }};
    for (const auto& [drum, steps] : lanes) {
        if (steps.size() != 16)
            throw std::invalid_argument("a drum bar needs sixteen steps: " + std::string(steps));
        for (int step = 0; step < 16; ++step) {
            double velocity = stepVelocity(steps[size_t(step)]);
            if (velocity == 0.0)
                continue;
            // Hats breathe a little; kick and clap stay exact so the beat is solid.
            if (drum == Drum::ClosedHat || drum == Drum::OpenHat)
                velocity *= 0.9 + 0.1 * humanise.next();
            hits.push_back({drum, gridTime(bar, step), velocity});
        }
    }
}

struct ChordSpan {
    ChordSymbol chord;
    int bar;
    int firstSixteenth;
    int sixteenths;
};

std::vector<ChordSpan> chordSpans()
{
    std::vector<ChordSpan> spans;
    for (int bar = 1; bar <= kFinalBar; ++bar) {
        std::string_view text = kChords[size_t(bar - 1)];
        std::vector<std::string_view> symbols;
        while (!text.empty()) {
            size_t space = text.find(' ');
            symbols.push_back(text.substr(0, space));
            text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        }
        int each = 16 / int(symbols.size());
        for (size_t i = 0; i < symbols.size(); ++i)
            spans.push_back({parseChord(symbols[i]), bar, int(i) * each, each});
    }
    return spans;
}

const Section& sectionOf(int bar)
{
    for (const Section& section : kSections)
        if (bar >= section.firstBar && bar <= section.lastBar)
            return section;
    throw std::invalid_argument("bar " + std::to_string(bar) + " lies in no section");
}

// The diatonic third below `pitch` in D major.
int thirdBelow(int pitch)
{
    static constexpr std::array<bool, 12> kInKey = {false, true,  true, false, true,  false,
                                                    true,  true,  false, true, false, true};
    int lower = pitch;
    for (int steps = 0; steps < 2; ++steps) {
        do
            --lower;
        while (!kInKey[size_t(lower % 12)]);
    }
    return lower;
}

void addMelody(Score& score)
{
    for (const Phrase& phrase : kMelody) {
        int position = phrase.sixteenth;
        for (const WrittenNote& written : parseMelody(phrase.notes)) {
            double gridStart = gridTime(phrase.bar, position);
            double gridEnd = gridTime(phrase.bar, position + written.sixteenths);
            position += written.sixteenths;
            if (written.rest)
                continue;
            bool chorus = gridStart >= barStart(kChorusBar);
            // Both ends move to the hundredth, so a note never overlaps the next one's start.
            double start = roundToHundredth(gridStart);
            Note note{start, roundToHundredth(gridEnd) - start, written.pitch, chorus ? 0.95 : 0.85};
            score.lead.push_back(note);
            if (phrase.bar >= kHarmonyFromBar) {
                Note harmony = note;
                harmony.pitch = thirdBelow(note.pitch);
                harmony.velocity = 0.6;
                score.harmony.push_back(harmony);
            }
        }
    }
}

int bassPitch(const ChordSymbol& chord)
{
    // Roots between F#1 (MIDI 30) and F2 keep the bass under the pad without turning to mud.
    constexpr int kLowest = 30;
    return kLowest + (chord.bass - kLowest % 12 + 12) % 12;
}

void addBass(Score& score, const ChordSpan& span)
{
    const std::string& section = sectionOf(span.bar).name;
    int root = bassPitch(span.chord);
    auto add = [&](int sixteenth, int length, int pitch, double velocity) {
        if (sixteenth < span.firstSixteenth || sixteenth >= span.firstSixteenth + span.sixteenths)
            return;
        double start = gridTime(span.bar, sixteenth);
        score.bass.push_back({start, length * kSixteenthSeconds, pitch, velocity});
    };
    if (section == "intro") {
        if (span.bar >= 3)
            add(0, 16, root, 0.45);
    } else if (section == "verse 1") {
        for (int step : {2, 6, 10, 14})
            add(step, 2, root, 0.7);
    } else if (section == "verse 2") {
        for (int step : {2, 6, 10})
            add(step, 2, root, 0.75);
        add(14, 2, root + 12, 0.65);
    } else if (section == "pre-chorus") {
        int last = span.bar == 24 ? 8 : 16;  // the bass drops out with the drums before the chorus
        for (int step = 0; step < last; step += 2)
            add(step, 2, root, step % 4 == 0 ? 0.7 : 0.85);
    } else if (section == "chorus") {
        for (int step : {2, 10})
            add(step, 2, root, 0.95);
        for (int step : {6, 14})
            add(step, 2, root + 12, 0.8);
    } else {
        add(0, kFinalSixteenths, root, 0.9);
    }
}

void addPadAndPluck(Score& score, const ChordSpan& span, std::vector<int>& padVoicing, std::vector<int>& pluckVoicing)
{
    const std::string& section = sectionOf(span.bar).name;
    padVoicing = voiceChord(span.chord, padVoicing, 50, 69);
    pluckVoicing = voiceChord(span.chord, pluckVoicing, 66, 83);

    double padVelocity = 0.55;
    if (section == "verse 1")
        padVelocity = 0.45;
    else if (section == "pre-chorus")
        padVelocity = 0.6 + 0.05 * (span.bar - 21);
    else if (section == "chorus" || section == "ending")
        padVelocity = 1.0;
    int padLength = section == "ending" ? kFinalSixteenths : span.sixteenths;
    for (int pitch : padVoicing)
        score.pad.push_back({gridTime(span.bar, span.firstSixteenth), padLength * kSixteenthSeconds, pitch,
                             padVelocity});
    if (section == "chorus" || section == "ending")
        score.pad.push_back({gridTime(span.bar, span.firstSixteenth), padLength * kSixteenthSeconds,
                             padVoicing.front() + 12 * 2, padVelocity * 0.75});

    // The arpeggio walks up and down the chord with the root an octave above on top.
    std::vector<int> tones = pluckVoicing;
    tones.push_back(pluckVoicing.front() + 12);
    static constexpr std::array<int, 16> kWalk = {0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 4, 3, 2, 1};
    for (int step = span.firstSixteenth; step < span.firstSixteenth + span.sixteenths; ++step) {
        double velocity = 0.0;
        if (section == "intro")
            velocity = 0.3 + 0.5 * ((span.bar - 1) * 16 + step) / 64.0;
        else if (section == "verse 1")
            velocity = step % 2 == 0 ? 0.4 : 0.0;
        else if (section == "verse 2")
            velocity = step % 2 == 0 ? 0.5 : 0.3;
        else if (section == "pre-chorus")
            velocity = span.bar == 24 && step >= 8 ? 0.0 : 0.5 + 0.25 * ((span.bar - 21) * 16 + step) / 64.0;
        else if (section == "chorus")
            velocity = step % 4 == 0 ? 0.9 : 0.8;
        else if (step == 0)
            velocity = 0.8;
        if (velocity == 0.0)
            continue;
        int index = kWalk[size_t(step)] % int(tones.size());
        int length = section == "ending" ? kFinalSixteenths : 2;
        score.pluck.push_back({gridTime(span.bar, step), length * kSixteenthSeconds, tones[size_t(index)], velocity});
    }
}

}  // namespace

Score buildScore()
{
    Score score;
    score.sections.assign(kSections.begin(), kSections.end());
    addMelody(score);

    std::vector<int> padVoicing;
    std::vector<int> pluckVoicing;
    for (const ChordSpan& span : chordSpans()) {
        addBass(score, span);
        addPadAndPluck(score, span, padVoicing, pluckVoicing);
    }

    Noise humanise(0x5EED0005);
    for (int bar = 1; bar <= kFinalBar; ++bar)
        addDrumBar(score.drums, bar, drumBarFor(bar), humanise);
    for (const Crash& crash : kCrashes)
        score.drums.push_back({Drum::Crash, barStart(crash.bar), crash.velocity});
    std::stable_sort(score.drums.begin(), score.drums.end(),
                     [](const DrumHit& a, const DrumHit& b) { return a.time < b.time; });

    score.risers.push_back({barStart(23), barStart(kChorusBar)});
    return score;
}

}  // namespace compose
