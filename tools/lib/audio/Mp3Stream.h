// An MP3 file decoded as it streams, block by block, by libmpg123, the decoder SDL_mixer plays
// MP3 with, set up as SDL_mixer sets it up (the file's own rate, mono or stereo, 16-bit samples,
// gapless as the LAME Info frame says), so an hour of music costs no more memory than a block.
// At the show's 44.1 kHz stereo the samples are those SDL_mixer hands the show; at other rates
// and in mono SDL_mixer converts them, and these are the file's own. The file is opened through
// the show's input check; libmpg123's own warnings are kept quiet.
//
//   std::string failure;
//   bool whole = decodeMp3("data/ywsf.mp3", [&](const Mp3Block& block) { ... }, failure, stopRequested);
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

struct Mp3Block {
    long rate = 0;
    int channels = 0;
    std::span<const int16_t> samples;  // interleaved, whole frames
};

// Hands every decoded block to `take` in order; true when the file was decoded to its end.
// False, with the reason in `failure` ("" after a stop asked through `stopRequested`, asked
// between blocks, or when `take` returns false), when the file cannot be read or decoded.
bool decodeMp3(const std::string& path, const std::function<bool(const Mp3Block&)>& take, std::string& failure,
               const std::function<bool()>& stopRequested = {});
