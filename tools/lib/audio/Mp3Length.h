// How long an MP3 file plays in the show, measured as it streams: decoded block by block by
// libmpg123, the decoder SDL_mixer plays MP3 with, set up as SDL_mixer sets it up (the file's
// own rate, 16-bit samples, gapless as the LAME Info frame says), so an hour of music costs no
// more memory than a second. At the show's 44.1 kHz (the stock track, everything make encodes)
// the length is SDL_mixer's to the sample; at other rates SDL_mixer's resampling loses a few
// milliseconds at the end (under 25 ms), which this length keeps. The file is opened through the
// show's input check; libmpg123's own warnings are kept quiet.
#pragma once

#include <functional>
#include <optional>
#include <string>

// The length in seconds; nothing, with the reason in `failure` ("" after a stop asked through
// `stopRequested`, which is asked between blocks), when the file cannot be read or decoded.
std::optional<double> measureMp3(const std::string& path, std::string& failure,
                                 const std::function<bool()>& stopRequested = {});
