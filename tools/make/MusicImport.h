// The user's song as the show's data/ywsf.mp3: an MP3 that SDL_mixer plays is copied as it is;
// anything else ffmpeg reads (or an MP3 SDL_mixer refuses, or a part of a song) is decoded by
// ffmpeg and encoded with LAME as the stock track is, a part cut out with short fades, the
// samples streaming from one to the other. The result is then decoded as it streams, the way the
// show will play it, which gives its exact length and the beat. No step holds the song's samples
// whole, so an hour of music costs little more memory than a minute. Each pass over the music
// reports its progress on standard error.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tools/make/ShowPlan.h"
#include "tools/make/TempoFinder.h"

// The part of the song taken, in seconds of the song: all of it by default.
struct MusicCut {
    double from = 0.0;
    std::optional<double> to;
    bool cuts() const { return from > 0.0 || to.has_value(); }
};

struct ImportedMusic {
    double seconds = 0.0;      // the show's music, as the show decodes it
    double songSeconds = 0.0;  // the whole song, before a cut
    bool reencoded = false;
    std::string format;  // as ffprobe names it: "mp3", "ogg", "wav", "flac", …
    HeardBeats beats;    // when asked for
    std::filesystem::path file;       // the show's music as written
    std::filesystem::path shownFile;  // and as messages name it
};

// Writes `target`, naming it `shownTarget` in messages; `scratch` is a folder for the
// children's reports; `hearBeats` asks for the beats aubio hears. Nothing, with a message naming
// the song or the target in `failure` (empty after a stop), when the song cannot be read, the
// target cannot be written, the cut lies outside the song, or the stop is requested.
std::optional<ImportedMusic> importMusic(const std::filesystem::path& song, const std::filesystem::path& target,
                                         const std::filesystem::path& shownTarget,
                                         const std::filesystem::path& scratch, const MusicCut& cut, bool hearBeats,
                                         const std::function<bool()>& stopRequested, std::string& failure);

// strongestDownbeat over the imported music, the loudness at the grid measured in one more pass
// as the show decodes it. Nothing, with the reason in `failure` (empty after a stop), when the
// music cannot be decoded again.
std::optional<BeatGrid> loudestDownbeat(const ImportedMusic& music, const BeatGrid& grid,
                                        const std::function<bool()>& stopRequested, std::string& failure);
