// How sovane05-make lays a whole song out as scenes, without GL or sound: lyrics scenes wherever
// the lyric file has lines, photo scenes in the song's instrumental stretches (the intro when it
// is long, gaps of at least four bars between sung lines, the outro after the last line) and
// wherever the user asks for one, the pictures taken in turn; and the scene list that says so.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/SceneList.h"
#include "tools/lib/lyrics/LyricFile.h"

// The song's beat as the background keeps it.
struct BeatGrid {
    double beatsPerMinute = 128.0;
    double firstDownbeat = 0.0;  // seconds of show time
    double secondsPerBar() const { return 240.0 / beatsPerMinute; }
};

// A photo scene the user asks for with --photo-at: from `start`, to `end` or four bars on.
struct PhotoRequest {
    double start = 0.0;
    std::optional<double> end;
};

struct SongPlan {
    double musicSeconds = 0.0;
    BeatGrid grid;
    std::vector<PhotoRequest> photoAt;
    std::vector<std::string> photoTextures = {kDefaultPhotoTexture};  // taken in turn, one at least
};

// A sung line is taken to have ended this long after its last entry starts, when the file does
// not end it sooner: an LRC line without an end lasts until the next line, across any solo.
inline constexpr double kLineHeldSeconds = 6.0;
// A stretch without singing becomes a photo scene when it lasts this many bars, and this many
// seconds at least.
inline constexpr int kInstrumentalBars = 4;
inline constexpr double kShortestInstrumental = 6.0;

// The scenes, in time order, covering 0 to the music's end without a gap.
std::vector<ListedScene> layOutSong(const std::vector<LyricRow>& rows, const std::vector<LyricEntry>& entries,
                                    const SongPlan& plan);

// The entries whose whole window lies in photo scenes, which never show.
int entriesHidden(const std::vector<ListedScene>& scenes, const std::vector<LyricEntry>& entries);

// data/scenes.txt for those scenes, read back exactly by the show's reader.
std::string formatSceneList(const std::vector<ListedScene>& scenes);

// One line per scene for the tool's report: "PhotoCompo 1:02.50-1:20.00 photo2".
std::vector<std::string> describeScenes(const std::vector<ListedScene>& scenes);
