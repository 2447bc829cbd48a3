// Decoding a show's music the way the show hears it: SDL_mixer, at the show's 44.1 kHz, 16-bit
// stereo, on SDL's silent "dummy" audio driver, so no sound device is needed. For tools that
// measure or draw the music rather than play it.
//
//   std::string failure;
//   std::optional<DecodedMusic> music = decodeMusic("data/ywsf.mp3", failure);
//   if (!music) report("data/ywsf.mp3: " + failure);
#pragma once

#include <optional>
#include <string>

#include "tools/lib/base/DecodedMusic.h"

// Decodes the whole file; nothing, with SDL_mixer's reason in `failure`, when it cannot.
std::optional<DecodedMusic> decodeMusic(const std::string& path, std::string& failure);

// Whether SDL_mixer recognises the file by its content and opens it as music, decoding nothing
// yet: "" when it does, else its reason.
std::string musicOpens(const std::string& path);
