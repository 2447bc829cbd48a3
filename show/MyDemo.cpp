// Assembly of the show: the registry, then the scenes in the order they are tested and drawn
// each frame. Without "data/scenes.txt" that is the stock timetable, the lyrics scene and then
// the photo scene; with it, one scene per line of the list that can be used.
#include "show/MyDemo.h"

#include <cstdio>

#include "resources/ResourceRegistry.h"
#include "rules/SceneList.h"
#include "show/Lyrics.h"
#include "show/PhotoCompo.h"

namespace {

// A faulty line is skipped and said on standard error: the rest of the list still plays. A list
// that cannot be read, or keeps no scene, plays the music over black; the stock timetable would
// show a made show's images at the wrong times.
void reportFaults(const SceneListFile& file)
{
    const char* consequence = file.readable ? "the line is skipped" : "the music plays over black";
    for (const SceneListFault& fault : file.list.faults)
        std::fprintf(stderr, "sovane05: %s; %s\n", describeFault(kShowSceneListPath, fault).c_str(), consequence);
    if (file.readable && file.list.scenes.empty())
        std::fprintf(stderr, "sovane05: %s: no scene to draw; the music plays over black\n", kShowSceneListPath);
}

}  // namespace

void MyDemo::initialise()
{
    // Nothing keeps the registry after this; what the scenes took from it lives on.
    ResourceRegistry* registry = new ResourceRegistry;
    SceneListFile file = readSceneListFile(kShowSceneListPath);
    if (!file.present) {
        scenes.push_back(new Lyrics(registry));
        scenes.push_back(new PhotoCompo(registry));
        return;
    }
    reportFaults(file);
    // The first lyrics scene reads the timing file; every later one draws the same lines.
    const Lyrics* firstLyrics = nullptr;
    for (const ListedScene& scene : file.list.scenes) {
        if (scene.kind == SceneKind::Lyrics) {
            Lyrics* lyrics = new Lyrics(registry, scene.start, scene.end, firstLyrics);
            firstLyrics = firstLyrics != nullptr ? firstLyrics : lyrics;
            scenes.push_back(lyrics);
        } else {
            scenes.push_back(new PhotoCompo(registry, scene.start, scene.end, scene.textures));
        }
    }
}
