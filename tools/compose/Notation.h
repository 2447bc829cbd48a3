// The score's written form: note names ("F#4"), melody strings ("F#4:2 r:2 A4:4", lengths in
// sixteenths) and chord symbols ("Bm", "A/C#", "Asus4"). Malformed text throws
// std::invalid_argument naming the token.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace compose {

// "C4" is MIDI 60; sharps and flats are accepted, octaves -1 to 9.
int parseNoteName(std::string_view name);
// Spelled with sharps: 66 is "F#4".
std::string noteName(int midiPitch);

struct WrittenNote {
    int pitch = 0;  // MIDI; ignored for rests
    bool rest = false;
    int sixteenths = 0;
};

std::vector<WrittenNote> parseMelody(std::string_view text);

struct ChordSymbol {
    int root = 0;                // pitch class, C = 0
    std::vector<int> intervals;  // semitones above the root, the root's 0 included
    int bass = 0;                // pitch class of the lowest note; the root unless "/X"
};

ChordSymbol parseChord(std::string_view symbol);

// Places the chord's tones between `lowest` and `highest` (MIDI, inclusive) as close as
// possible to `previous`, so successive chords move by small steps; an empty `previous`
// gives the lowest placement.
std::vector<int> voiceChord(const ChordSymbol& chord, const std::vector<int>& previous, int lowest, int highest);

}  // namespace compose
