// The decisions sovane05-make takes that need no GL, no sound and no child process: the song's
// beat grid from the beats a tracker found, the part of the song taken and its fades, the
// made show's config, and what the lyric file says against the music.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/make/SongLayout.h"

// The tempo and first downbeat that fit beats found at `beats` (seconds, rising): the beat near
// their spacing whose half-beat grid most of them keep over the whole song (a tracker may run a
// little fast, or follow the off-beat for a while), the phase most beats agree on, and of the
// four beats of a bar the one whose beats are strongest (`strengths`, one per beat). Nothing
// when fewer than eight beats were found or no beat keeps most of them to its grid.
std::optional<BeatGrid> fitBeatGrid(const std::vector<double>& beats, const std::vector<double>& strengths);

// `grid` with its first downbeat where the music is strongest: of the eight half beats of a
// bar, the one whose moments over the `seconds` of the song are loudest on average
// (`strengthAt`, seconds to loudness). A tracker may follow the off-beat for most of a song, and
// the loudness just after the beats it heard is too rough to tell; the music at the grid is not.
BeatGrid strongestDownbeat(BeatGrid grid, double seconds, const std::function<double(double)>& strengthAt);

// The rate make decodes songs at and encodes the show's music at, as the show plays it.
inline constexpr int kSongSampleRate = 44100;

// The gain of sample `frame` of a part of `frames` samples cut out of a song at 44.1 kHz: a
// short fade in when the part starts inside the song, a fade out when it ends inside it, 1
// elsewhere, so neither cut clicks.
inline constexpr double kCutFadeInSeconds = 0.05;
inline constexpr double kCutFadeOutSeconds = 1.5;
double cutGain(long long frame, long long frames, bool fadeIn, bool fadeOut);

// The made show's data/config.txt: the stock config's programs and meshes, then the photos and
// one texture per lyric entry, "000" … named as the show names them.
std::string madeConfig(std::string_view stockConfig, int entryCount, const std::vector<std::string>& photoTextures);

// The texture name of the `index`th picture: "photo", then "photo2", "photo3", …
std::string photoTextureName(int index);

// What the lyric file says against the music: a [length:] that differs from it. One sentence.
std::vector<std::string> musicWarnings(double musicSeconds, std::optional<long long> lyricLengthMilliseconds);
