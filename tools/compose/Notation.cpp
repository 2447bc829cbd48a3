// Reading note names, melody strings and chord symbols, and voicing chords.
#include "tools/compose/Notation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace compose {

namespace {

constexpr std::array<int, 7> kNaturalPitchClass = {9, 11, 0, 2, 4, 5, 7};  // A to G

[[noreturn]] void fail(std::string_view what, std::string_view token)
{
    throw std::invalid_argument(std::string(what) + " \"" + std::string(token) + "\"");
}

// Reads a letter and an optional accidental from the front of `text`; returns the pitch class
// and removes what it read.
int takePitchClass(std::string_view& text, std::string_view whole)
{
    if (text.empty() || text[0] < 'A' || text[0] > 'G')
        fail("not a note letter in", whole);
    int pitchClass = kNaturalPitchClass[size_t(text[0] - 'A')];
    text.remove_prefix(1);
    if (!text.empty() && (text[0] == '#' || text[0] == 'b')) {
        pitchClass += text[0] == '#' ? 1 : -1;
        text.remove_prefix(1);
    }
    return (pitchClass + 12) % 12;
}

int parseWholeNumber(std::string_view text, std::string_view whole)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        fail("not a number in", whole);
    return value;
}

}  // namespace

int parseNoteName(std::string_view name)
{
    std::string_view rest = name;
    int pitchClass = takePitchClass(rest, name);
    // The accidental may cross the octave: "Cb4" is B3 and "B#3" is C4.
    int shift = 0;
    if (name.size() > 1 && name[1] == 'b' && name[0] == 'C')
        shift = -12;
    if (name.size() > 1 && name[1] == '#' && name[0] == 'B')
        shift = 12;
    bool negative = !rest.empty() && rest[0] == '-';
    if (negative)
        rest.remove_prefix(1);
    int octave = parseWholeNumber(rest, name);
    if (negative)
        octave = -octave;
    if (octave < -1 || octave > 9)
        fail("octave out of range in", name);
    int pitch = (octave + 1) * 12 + pitchClass + shift;
    if (pitch < 0 || pitch > 127)
        fail("pitch out of range in", name);
    return pitch;
}

std::string noteName(int midiPitch)
{
    static constexpr std::array<const char*, 12> kNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                           "F#", "G",  "G#", "A",  "A#", "B"};
    return std::string(kNames[size_t(midiPitch % 12)]) + std::to_string(midiPitch / 12 - 1);
}

std::vector<WrittenNote> parseMelody(std::string_view text)
{
    std::vector<WrittenNote> notes;
    size_t position = 0;
    while (position < text.size()) {
        if (text[position] == ' ') {
            ++position;
            continue;
        }
        size_t end = text.find(' ', position);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view token = text.substr(position, end - position);
        position = end;

        size_t colon = token.find(':');
        if (colon == std::string_view::npos)
            fail("no length (\":sixteenths\") in", token);
        WrittenNote note;
        std::string_view pitch = token.substr(0, colon);
        if (pitch == "r")
            note.rest = true;
        else
            note.pitch = parseNoteName(pitch);
        note.sixteenths = parseWholeNumber(token.substr(colon + 1), token);
        if (note.sixteenths <= 0)
            fail("length must be positive in", token);
        notes.push_back(note);
    }
    return notes;
}

ChordSymbol parseChord(std::string_view symbol)
{
    struct Quality {
        std::string_view suffix;
        std::vector<int> intervals;
    };
    static const std::array<Quality, 10> kQualities = {{
        {"", {0, 4, 7}},
        {"m", {0, 3, 7}},
        {"7", {0, 4, 7, 10}},
        {"m7", {0, 3, 7, 10}},
        {"maj7", {0, 4, 7, 11}},
        {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},
        {"add9", {0, 4, 7, 14}},
        {"madd9", {0, 3, 7, 14}},
        {"6", {0, 4, 7, 9}},
    }};

    std::string_view rest = symbol;
    ChordSymbol chord;
    chord.root = takePitchClass(rest, symbol);
    chord.bass = chord.root;
    size_t slash = rest.find('/');
    std::string_view suffix = rest.substr(0, slash);
    if (slash != std::string_view::npos) {
        std::string_view bass = rest.substr(slash + 1);
        chord.bass = takePitchClass(bass, symbol);
        if (!bass.empty())
            fail("unexpected text after the bass note in", symbol);
    }
    auto quality = std::find_if(kQualities.begin(), kQualities.end(),
                                [&](const Quality& q) { return q.suffix == suffix; });
    if (quality == kQualities.end())
        fail("unknown chord quality in", symbol);
    chord.intervals = quality->intervals;
    return chord;
}

std::vector<int> voiceChord(const ChordSymbol& chord, const std::vector<int>& previous, int lowest, int highest)
{
    // Every tone gets each octave that fits the range; all combinations are scored by how far
    // the sorted voices move from the sorted previous voices (or by height when there are none).
    std::vector<std::vector<int>> choices;
    for (int interval : chord.intervals) {
        std::vector<int> places;
        int pitchClass = (chord.root + interval) % 12;
        for (int pitch = lowest; pitch <= highest; ++pitch)
            if (pitch % 12 == pitchClass)
                places.push_back(pitch);
        if (places.empty())
            throw std::invalid_argument("chord tone has no place in the voicing range");
        choices.push_back(std::move(places));
    }

    std::vector<int> best;
    long bestScore = std::numeric_limits<long>::max();
    std::vector<size_t> pick(choices.size(), 0);
    for (;;) {
        std::vector<int> voicing;
        for (size_t i = 0; i < choices.size(); ++i)
            voicing.push_back(choices[i][pick[i]]);
        std::sort(voicing.begin(), voicing.end());
        bool distinct = std::adjacent_find(voicing.begin(), voicing.end()) == voicing.end();
        if (distinct) {
            long score = 0;
            if (previous.empty()) {
                for (int pitch : voicing)
                    score += pitch;
            } else {
                std::vector<int> before = previous;
                std::sort(before.begin(), before.end());
                for (size_t i = 0; i < voicing.size(); ++i)
                    score += std::abs(voicing[i] - before[std::min(i, before.size() - 1)]);
                // A spread voicing is preferred over a cluster at equal movement.
                score = score * 16 - (voicing.back() - voicing.front());
            }
            if (score < bestScore) {
                bestScore = score;
                best = voicing;
            }
        }
        size_t digit = 0;
        while (digit < pick.size() && ++pick[digit] == choices[digit].size())
            pick[digit++] = 0;
        if (digit == pick.size())
            break;
    }
    if (best.empty())
        throw std::invalid_argument("chord does not fit the voicing range");
    return best;
}

}  // namespace compose
