// The decisions sovane05-make takes that need no GL, no sound and no child process: the tempo
// line of the background program, and what the show does with a song of a given length.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The background program's statement of the tempo, in each of its two stages; --bpm rewrites
// its number.
inline constexpr std::string_view kTempoLine = "const float kBeat = 60.0 / ";

// `shader` with the tempo set to `beatsPerMinute`: the line "const float kBeat = 60.0 / 128.0;"
// becomes "const float kBeat = 60.0 / 140.0;". Nothing when the shader has no such line.
std::optional<std::string> setBackgroundTempo(std::string_view shader, double beatsPerMinute);

// A tempo as a GLSL float literal: "140.0", "97.5".
std::string tempoLiteral(double beatsPerMinute);

// The warnings a song of `musicSeconds` needs against the show's fixed windows (lyrics until
// 45 s, the photo until 58 s), against the lyric file's [length:] when it has one, and against
// the lyric entries that start after the music has ended. Each is one sentence, without a path.
std::vector<std::string> musicWarnings(double musicSeconds, std::optional<long long> lyricLengthMilliseconds,
                                       const std::vector<double>& entryStarts);
