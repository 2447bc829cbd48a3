// The show's timetable and tempo, in one place for every part written in C++: the scenes, the
// tools that make or check data for them, and the tests. The shaders cannot include this; the
// background program says where its own copies of the numbers come from.
#pragma once

// Seconds of show time.
constexpr double kLyricsStart = 0.0;
constexpr double kLyricsEnd = 45.0;
constexpr double kPhotoStart = 45.0;
constexpr double kPhotoEnd = 58.0;

// Music that stops less than this before the photo scene ends cuts nothing worth a word: the stock
// track stops at 57.9 s, so that every frame until the music ends is the photo scene's.
constexpr double kMusicEndSlack = 1.0;

// The music's grid: 128 beats a minute, four to a bar, so bar n starts at (n − 1) × 1.875 s and
// the photo scene opens on the downbeat of bar 25.
constexpr double kBeatsPerMinute = 128.0;
constexpr int kBeatsPerBar = 4;
constexpr double kSecondsPerBeat = 60.0 / kBeatsPerMinute;
constexpr double kSecondsPerBar = kSecondsPerBeat * kBeatsPerBar;
