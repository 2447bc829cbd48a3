// The singing lead: one monophonic voice that glides between legato notes, scoops into
// detached ones, adds vibrato to held notes and shapes a buzzy source with vowel formants,
// so the melody reads as a wordless singer carrying the lyrics.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/compose/Score.h"

namespace compose {

struct VoiceCharacter {
    double formantScale = 1.0;  // below 1 darkens the vowels
    double level = 1.0;
    uint64_t seed = 1;          // breath and consonant noise
};

// Adds the notes (sorted by start, not overlapping) to `bus` as one continuous voice.
void addVoice(std::vector<float>& bus, const std::vector<Note>& notes, const VoiceCharacter& character);

}  // namespace compose
