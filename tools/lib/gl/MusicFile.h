// Decoding a show's music the way the show hears it: SDL_mixer, at the show's 44.1 kHz, 16-bit
// stereo, on SDL's silent "dummy" audio driver, so no sound device is needed. For tools that
// measure or draw the music rather than play it.
//
//   std::string failure;
//   std::optional<DecodedMusic> music = decodeMusic("data/ywsf.mp3", failure);
//   if (!music) report("data/ywsf.mp3: " + failure);
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "tools/lib/base/DecodedMusic.h"

// Decodes the whole file; nothing, with SDL_mixer's reason in `failure`, when it cannot.
std::optional<DecodedMusic> decodeMusic(const std::string& path, std::string& failure);

// The music as the show hears it, 44.1 kHz 16-bit stereo, handed to `take` block by block as
// libmpg123 decodes it, so an hour costs no more memory than a block: the file's own samples at
// the show's rate in stereo, else converted by SDL in the pieces SDL_mixer converts them in,
// which gives SDL_mixer's length at every rate and its very samples at 48 kHz (at 22.05 and
// 24 kHz they differ by the resampler's rounding). True when decoded to the end; false with the
// reason in `failure` ("" after a stop, or when `take` returns false).
bool streamMusic(const std::string& path, const std::function<bool(std::span<const int16_t>)>& take,
                 std::string& failure, const std::function<bool()>& stopRequested = {});

// Whether SDL_mixer recognises the file by its content and opens it as music, decoding nothing
// yet: "" when it does, else its reason.
std::string musicOpens(const std::string& path);
