// The song "Yellow Windows, Summer Fields" as timed events: the fixed grid shared with the
// show (rules/ShowTimeline.h: 128 BPM, 4/4, bar n at (n - 1) × 1.875 s, chorus at bar 25 = 45 s, final chord at bar
// 31), the sections, and every note and drum hit of the arrangement. No sound here: Mixdown
// turns this into audio.
#pragma once

#include <string>
#include <vector>

#include "rules/ShowTimeline.h"

namespace compose {

inline constexpr double kBeatSeconds = kSecondsPerBeat;
inline constexpr double kBarSeconds = kSecondsPerBar;
inline constexpr double kSixteenthSeconds = kBeatSeconds / 4.0;
// The chorus lands with the photo scene, on a downbeat.
inline constexpr int kChorusBar = int(kPhotoStart / kSecondsPerBar) + 1;
static_assert((kChorusBar - 1) * kSecondsPerBar == kPhotoStart, "the photo scene opens on a downbeat");
inline constexpr int kFinalBar = 31;
// The final chord lands on bar 31 (56.25 s) and fades out inside the photo scene, so the music
// stops just before the scene does (58 s) and every frame until then has a scene to draw it.
inline constexpr double kTrackSeconds = 57.9;
// How long the notes of the final chord are written, in sixteenths: to 57.54 s, the rest of the
// track is their release under the fade.
inline constexpr int kFinalSixteenths = 11;

// Start of a 1-based bar, in seconds from the first downbeat.
double barStart(int bar);
// A grid position: `sixteenths` after the start of `bar` (may run past the bar's end).
double gridTime(int bar, int sixteenths);
// The lead's notes start on the nearest hundredth of a second, so that the lyric file's
// centisecond stamps land exactly on them; the shift from the grid is at most 5 ms.
double roundToHundredth(double seconds);

struct Section {
    std::string name;
    int firstBar = 0;
    int lastBar = 0;  // inclusive
};

struct Note {
    double start = 0.0;
    double duration = 0.0;
    int pitch = 0;          // MIDI
    double velocity = 1.0;  // 0..1; instruments map it to loudness and brightness
};

enum class Drum { Kick, Clap, ClosedHat, OpenHat, Crash };

struct DrumHit {
    Drum drum = Drum::Kick;
    double time = 0.0;
    double velocity = 1.0;
};

// A noise swell rising into a moment, for the build into the chorus.
struct Riser {
    double start = 0.0;
    double end = 0.0;
};

struct Score {
    std::vector<Section> sections;
    std::vector<Note> lead;     // the voice that sings the lyrics, then the chorus hook
    std::vector<Note> harmony;  // a third below the lead where it doubles it
    std::vector<Note> bass;
    std::vector<Note> pad;
    std::vector<Note> pluck;
    std::vector<DrumHit> drums;
    std::vector<Riser> risers;
    double seconds = kTrackSeconds;
};

Score buildScore();

}  // namespace compose
