// The user's song as the show's data/ywsf.mp3: an MP3 that SDL_mixer plays is copied as it is;
// anything else ffmpeg reads (or an MP3 SDL_mixer refuses) is decoded by ffmpeg and encoded
// with LAME as the stock track is. The result is decoded once more the way the show will play
// it, which gives its exact length.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

struct ImportedMusic {
    double seconds = 0.0;
    bool reencoded = false;
    std::string format;  // as ffprobe names it: "mp3", "ogg", "wav", "flac", …
};

// Writes `target`; `scratch` is a folder for the decoded samples. Nothing, with a message naming
// the song in `failure`, when the song cannot be read or the stop is requested.
std::optional<ImportedMusic> importMusic(const std::filesystem::path& song, const std::filesystem::path& target,
                                         const std::filesystem::path& scratch, const std::function<bool()>& stopRequested,
                                         std::string& failure);
