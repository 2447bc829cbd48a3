// The timetable check.
#include "tools/check/TimetableCheck.h"

#include <algorithm>
#include <cstdio>

#include "rules/ShowTimeline.h"

namespace {

// A window that ends this little after the music is where a show made of the song ends it: the
// list gives the music's length to the millisecond.
constexpr double kPastTheEndSlack = 0.05;

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string threeDecimals(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

double Timetable::end() const
{
    double last = 0.0;
    for (const ListedScene& scene : scenes)
        last = std::max(last, scene.end);
    return last;
}

Timetable stockTimetable()
{
    Timetable timetable;
    timetable.scenes = {{SceneKind::Lyrics, kLyricsStart, kLyricsEnd, {}, 0},
                        {SceneKind::PhotoCompo, kPhotoStart, kPhotoEnd, {kDefaultPhotoTexture}, 0}};
    return timetable;
}

Timetable checkTimetable(const SceneListFile& file, const std::string& path,
                         const std::function<bool(const std::string&)>& registered,
                         std::optional<double> musicSeconds, std::vector<Finding>& findings)
{
    if (!file.present)
        return stockTimetable();
    Timetable timetable;
    timetable.listed = true;
    timetable.scenes = file.list.scenes;
    const char* consequence = file.readable ? "; the show skips the line" : "; the music plays over black";
    for (const SceneListFault& fault : file.list.faults)
        findings.push_back({path, size_t(fault.line), Severity::Error, fault.what + consequence});
    if (file.readable && timetable.scenes.empty())
        findings.push_back({path, 0, Severity::Error, "no scene to draw: the music plays over black"});

    for (const ListedScene& scene : timetable.scenes) {
        for (const std::string& texture : scene.textures) {
            if (!registered(texture))
                findings.push_back({path, size_t(scene.line), Severity::Error,
                                    "the photo scene draws texture \"" + texture +
                                        "\", which no line of the config registers: the show stops at start-up"});
        }
        if (musicSeconds && scene.end > *musicSeconds + kPastTheEndSlack)
            findings.push_back({path, size_t(scene.line), Severity::Warning,
                                "the window " + seconds(scene.start) + " to " + seconds(scene.end) +
                                    " s runs past the music's end at " + threeDecimals(*musicSeconds) +
                                    " s: the show ends with the music"});
    }
    return timetable;
}

TimingRules timingRulesOf(const Timetable& timetable)
{
    TimingRules rules;
    rules.listed = timetable.listed;
    rules.lyricsWindows.clear();
    for (const ListedScene& scene : timetable.scenes) {
        if (scene.kind == SceneKind::Lyrics)
            rules.lyricsWindows.emplace_back(scene.start, scene.end);
    }
    return rules;
}
