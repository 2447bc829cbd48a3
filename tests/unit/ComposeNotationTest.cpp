// The score's written form: note names, melody strings, chord symbols and chord voicing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/compose/Notation.h"

using compose::noteName;
using compose::parseChord;
using compose::parseMelody;
using compose::parseNoteName;
using compose::voiceChord;

TEST(ComposeNotation, NoteNamesReadAsMidiPitches)
{
    struct Case {
        const char* name;
        int pitch;
    };
    const std::vector<Case> cases = {
        {"C4", 60}, {"A4", 69},  {"F#4", 66}, {"Bb3", 58}, {"E2", 40},
        {"C-1", 0}, {"G9", 127}, {"Cb4", 59}, {"B#3", 60}, {"Db5", 73},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseNoteName(c.name), c.pitch) << c.name;
}

TEST(ComposeNotation, MalformedNoteNamesAreRefused)
{
    for (const char* name : {"", "H4", "c4", "C", "C#", "C10", "G#9", "C4x", "C 4", "F##4", "C-2"})
        EXPECT_THROW(parseNoteName(name), std::invalid_argument) << '"' << name << '"';
}

TEST(ComposeNotation, NoteNamesAreSpelledWithSharpsAndReadBack)
{
    for (int pitch = 0; pitch <= 127; ++pitch)
        EXPECT_EQ(parseNoteName(noteName(pitch)), pitch) << noteName(pitch);
    EXPECT_EQ(noteName(66), "F#4");
    EXPECT_EQ(noteName(58), "A#3");
}

TEST(ComposeNotation, MelodyStringsGiveNotesRestsAndLengths)
{
    std::vector<compose::WrittenNote> notes = parseMelody("  F#4:2 r:3  A4:16 Bb3:1 ");
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0].pitch, 66);
    EXPECT_FALSE(notes[0].rest);
    EXPECT_EQ(notes[0].sixteenths, 2);
    EXPECT_TRUE(notes[1].rest);
    EXPECT_EQ(notes[1].sixteenths, 3);
    EXPECT_EQ(notes[2].pitch, 69);
    EXPECT_EQ(notes[2].sixteenths, 16);
    EXPECT_EQ(notes[3].pitch, 58);
    EXPECT_TRUE(parseMelody("").empty());
}

TEST(ComposeNotation, MalformedMelodyTokensAreRefused)
{
    for (const char* text : {"F#4", "F#4:", "F#4:0", "F#4:-1", "r:x", "Q4:2", "F#4:2x", "F#4:2 A4"}) {
        try {
            parseMelody(text);
            ADD_FAILURE() << "accepted \"" << text << '"';
        } catch (const std::invalid_argument& error) {
            // The message quotes the token, so a score author finds it.
            EXPECT_NE(std::string(error.what()).find('"'), std::string::npos) << error.what();
        }
    }
}

TEST(ComposeNotation, ChordSymbolsGiveRootTonesAndBass)
{
    struct Case {
        const char* symbol;
        int root;
        std::vector<int> intervals;
        int bass;
    };
    const std::vector<Case> cases = {
        {"D", 2, {0, 4, 7}, 2},
        {"Bm", 11, {0, 3, 7}, 11},
        {"A/C#", 9, {0, 4, 7}, 1},
        {"Gmaj7", 7, {0, 4, 7, 11}, 7},
        {"F#m7", 6, {0, 3, 7, 10}, 6},
        {"Asus4", 9, {0, 5, 7}, 9},
        {"Ebadd9", 3, {0, 4, 7, 14}, 3},
        {"Em7/D", 4, {0, 3, 7, 10}, 2},
    };
    for (const Case& c : cases) {
        compose::ChordSymbol chord = parseChord(c.symbol);
        EXPECT_EQ(chord.root, c.root) << c.symbol;
        EXPECT_EQ(chord.intervals, c.intervals) << c.symbol;
        EXPECT_EQ(chord.bass, c.bass) << c.symbol;
    }
    for (const char* symbol : {"", "H", "Cdim", "A/", "A/C#x", "Am/H", "m7"})
        EXPECT_THROW(parseChord(symbol), std::invalid_argument) << '"' << symbol << '"';
}

TEST(ComposeNotation, VoicingsStayInRangeKeepTheChordAndMoveByStep)
{
    // The verse and chorus changes of the song, voiced one after the other.
    const std::vector<const char*> progression = {"Bm", "Gmaj7", "D", "A", "Em7", "F#m7", "G", "Asus4", "A", "D", "A/C#"};
    std::vector<int> previous;
    for (const char* symbol : progression) {
        compose::ChordSymbol chord = parseChord(symbol);
        std::vector<int> voicing = voiceChord(chord, previous, 50, 69);
        ASSERT_EQ(voicing.size(), chord.intervals.size()) << symbol;
        std::set<int> classes;
        for (int pitch : voicing) {
            EXPECT_GE(pitch, 50) << symbol;
            EXPECT_LE(pitch, 69) << symbol;
            classes.insert(pitch % 12);
        }
        std::set<int> expected;
        for (int interval : chord.intervals)
            expected.insert((chord.root + interval) % 12);
        EXPECT_EQ(classes, expected) << symbol;
        if (!previous.empty() && previous.size() == voicing.size()) {
            for (size_t i = 0; i < voicing.size(); ++i)
                EXPECT_LE(std::abs(voicing[i] - previous[i]), 5) << symbol << " voice " << i;
        }
        previous = voicing;
    }
}

TEST(ComposeNotation, VoicingPicksTheNearestPlacement)
{
    // From D4 F#4 A4 the nearest G major is D4 G4 B4 (3 semitones of movement in all).
    EXPECT_EQ(voiceChord(parseChord("G"), {62, 66, 69}, 50, 72), (std::vector<int>{62, 67, 71}));
    // With nothing before it, the chord sits as low as the range allows.
    EXPECT_EQ(voiceChord(parseChord("D"), {}, 50, 72), (std::vector<int>{50, 54, 57}));
    EXPECT_THROW(voiceChord(parseChord("Gmaj7"), {}, 60, 62), std::invalid_argument);
}
