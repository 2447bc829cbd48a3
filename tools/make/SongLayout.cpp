// Laying a song out as scenes.
#include "tools/make/SongLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Window {
    double start = 0.0;
    double end = 0.0;
};

// The first downbeat at or after `time`, or `time` itself when a downbeat falls a moment before
// it: a line's end in a lyric file and a beat found in the music are both a few milliseconds
// rough, and a scene that waited a whole bar for the next downbeat would come late.
double nextDownbeat(const BeatGrid& grid, double time)
{
    const double slack = 0.1 * grid.secondsPerBar() / 4.0;
    double bars = std::ceil((time - slack - grid.firstDownbeat) / grid.secondsPerBar() - 1e-9);
    return std::max(time, grid.firstDownbeat + bars * grid.secondsPerBar());
}

// Where singing stops for a while: the intro before the first line, each gap of at least four
// bars between the end of what has been sung and the next line, and the outro. A photo scene
// starts on the first downbeat of a gap when that leaves the gap long enough, so its flash
// falls on the beat.
std::vector<Window> instrumentalStretches(const std::vector<LyricRow>& rows, const std::vector<LyricEntry>& entries,
                                          const SongPlan& plan)
{
    const double shortest = std::max(kShortestInstrumental, kInstrumentalBars * plan.grid.secondsPerBar());
    std::vector<Window> stretches;
    if (rows.empty())
        return {{0.0, plan.musicSeconds}};
    std::vector<const LyricRow*> ordered;
    for (const LyricRow& row : rows)
        ordered.push_back(&row);
    std::stable_sort(ordered.begin(), ordered.end(), [](const LyricRow* a, const LyricRow* b) { return a->start < b->start; });

    if (ordered.front()->start >= shortest)
        stretches.push_back({0.0, ordered.front()->start});
    double sungUntil = 0.0;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const LyricRow& row = *ordered[i];
        double lastEntry = entries[std::size_t(row.firstEntry + row.entryCount - 1)].start;
        sungUntil = std::max(sungUntil, std::min(row.end, std::max(lastEntry, row.start) + kLineHeldSeconds));
        double next = i + 1 < ordered.size() ? ordered[i + 1]->start : plan.musicSeconds;
        bool outro = i + 1 == ordered.size();
        if (next - sungUntil < (outro ? 0.5 : shortest))
            continue;
        double start = nextDownbeat(plan.grid, sungUntil);
        if (next - start < (outro ? 0.5 : shortest) || start >= plan.musicSeconds)
            start = sungUntil;
        stretches.push_back({start, next});
    }
    return stretches;
}

// The photo windows: the stretches and the user's, those that meet merged into one.
std::vector<Window> photoWindows(const std::vector<LyricRow>& rows, const std::vector<LyricEntry>& entries,
                                 const SongPlan& plan)
{
    std::vector<Window> windows = instrumentalStretches(rows, entries, plan);
    for (const PhotoRequest& request : plan.photoAt) {
        double end = request.end.value_or(request.start + kInstrumentalBars * plan.grid.secondsPerBar());
        windows.push_back({std::max(request.start, 0.0), std::min(end, plan.musicSeconds)});
    }
    std::sort(windows.begin(), windows.end(), [](const Window& a, const Window& b) { return a.start < b.start; });
    std::vector<Window> merged;
    for (const Window& window : windows) {
        if (!(window.start < window.end))
            continue;
        if (!merged.empty() && window.start <= merged.back().end)
            merged.back().end = std::max(merged.back().end, window.end);
        else
            merged.push_back(window);
    }
    return merged;
}

std::string minutes(double seconds)
{
    return formatLyricSeconds(seconds);
}

}  // namespace

std::vector<ListedScene> layOutSong(const std::vector<LyricRow>& rows, const std::vector<LyricEntry>& entries,
                                    const SongPlan& plan)
{
    std::vector<ListedScene> scenes;
    double covered = 0.0;
    std::size_t photo = 0;
    auto lyricsUntil = [&](double end) {
        if (end > covered)
            scenes.push_back({SceneKind::Lyrics, covered, end, {}, 0});
        covered = std::max(covered, end);
    };
    for (const Window& window : photoWindows(rows, entries, plan)) {
        lyricsUntil(window.start);
        const std::string& texture = plan.photoTextures[photo++ % plan.photoTextures.size()];
        scenes.push_back({SceneKind::PhotoCompo, window.start, window.end, {texture}, 0});
        covered = window.end;
    }
    lyricsUntil(plan.musicSeconds);
    return scenes;
}

int entriesHidden(const std::vector<ListedScene>& scenes, const std::vector<LyricEntry>& entries)
{
    int hidden = 0;
    for (const LyricEntry& entry : entries) {
        bool shown = false;
        for (const ListedScene& scene : scenes)
            shown = shown || (scene.kind == SceneKind::Lyrics &&
                              std::max(scene.start, entry.start) < std::min(scene.end, entry.end));
        hidden += shown ? 0 : 1;
    }
    return hidden;
}

std::string formatSceneList(const std::vector<ListedScene>& scenes)
{
    std::string text =
        "# The show's scenes, one a line: its kind, its window in seconds of show time, and for a photo\n"
        "# scene the textures it draws, in layers. Written by sovane05-make; see the README.\n";
    for (const ListedScene& scene : scenes) {
        char line[96];
        std::snprintf(line, sizeof line, "%s %.3f %.3f", sceneKindName(scene.kind), scene.start, scene.end);
        text += line;
        for (const std::string& texture : scene.textures)
            text += " " + texture;
        text += "\n";
    }
    return text;
}

std::vector<std::string> describeScenes(const std::vector<ListedScene>& scenes)
{
    std::vector<std::string> lines;
    for (const ListedScene& scene : scenes) {
        std::string line = std::string(sceneKindName(scene.kind)) + " " + minutes(scene.start) + "-" + minutes(scene.end);
        for (const std::string& texture : scene.textures)
            line += " " + texture;
        lines.push_back(line);
    }
    return lines;
}
