// The user's song as the show's data/ywsf.mp3: an MP3 that the show's decoder plays is copied as
// it is; anything else ffmpeg reads (or an MP3 the decoder refuses) is decoded by ffmpeg and
// encoded with LAME as the stock track is, block by block as ffmpeg's samples come. The result
// is measured as it streams through the show's decoder, which gives its exact length; no step
// holds the whole song as samples.
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

// Writes `target`, naming it `shownTarget` in messages; `scratch` is a folder for the children's
// reports. Nothing, with a message naming the song or the target in `failure` (empty after a
// stop), when the song cannot be read, the target cannot be written, or the stop is requested.
std::optional<ImportedMusic> importMusic(const std::filesystem::path& song, const std::filesystem::path& target,
                                         const std::filesystem::path& shownTarget,
                                         const std::filesystem::path& scratch, const std::function<bool()>& stopRequested,
                                         std::string& failure);
