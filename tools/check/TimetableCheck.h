// Checking the show's timetable: the scene list read by the show's own reader
// (rules/SceneList.h), or the stock two scenes when the folder has none. Every line the show
// skips, a photo scene whose texture no config line registers (the show stops at start-up), a
// window that runs past the music's end, and a list that leaves nothing to draw. No GL.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rules/SceneList.h"
#include "tools/check/TimingCheck.h"
#include "tools/lib/base/Finding.h"

struct Timetable {
    bool listed = false;
    std::vector<ListedScene> scenes;  // as the show builds them, in order

    // Where the last scene's window ends; 0 without a scene.
    double end() const;
};

// The stock show's: lyrics from 0 to 45 s, the photo from 45 to 58 s.
Timetable stockTimetable();

// `registered` says whether a config line registers a texture of that name; `musicSeconds` is
// the music's length when it could be decoded.
Timetable checkTimetable(const SceneListFile& file, const std::string& path,
                         const std::function<bool(const std::string&)>& registered,
                         std::optional<double> musicSeconds, std::vector<Finding>& findings);

// What the timetable means for the timing file: how many pairs the show reads, and where its
// lyrics scenes draw.
TimingRules timingRulesOf(const Timetable& timetable);
