// The preview window's title, which says where the show is: the time to the hundredth, the
// scene, the lyric entries on screen by image name, paused, the loop, the last reload's fault:
//
//   Sovane05 preview · 12.34 s · Lyrics · 081 080 · paused · loop 10.00-20.00 s
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/TimingFile.h"
#include "tools/preview/PreviewClock.h"

struct TitleFacts {
    double time = 0.0;
    std::string scene;                 // "" when no scene holds the moment
    std::vector<std::string> entries;  // image names, in drawing order
    bool paused = false;
    std::optional<LoopRange> loop;
    std::string fault;  // the last reload's first fault, or ""
};

std::string previewTitle(const TitleFacts& facts);

// A scene of a scene list by its kind and place: "PhotoCompo 4/9" for index 3 of 9.
std::string sceneTitle(const std::string& kind, int index, int count);

// The image names of the lyric entries of `count` that show at `time`, in drawing order.
std::vector<std::string> activeEntryNames(const double* lineStart, const double* lineEnd, int count, double time);
