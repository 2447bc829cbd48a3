// The scene list, good and bad, through the show's own reader and through sovane05-check:
// which scenes the show builds, and what the checker says of each line, of the textures a
// photo scene draws, of the windows against the music, and of the lyric entries no lyrics scene
// shows. The show's own assembly from a list is in tests/gl/ShowScenesTest.cpp.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "rules/SceneList.h"
#include "tools/check/TimetableCheck.h"
#include "tools/check/TimingCheck.h"

namespace {

std::string describe(const ListedScene& scene)
{
    char window[64];
    std::snprintf(window, sizeof window, " %g-%g", scene.start, scene.end);
    std::string text = sceneKindName(scene.kind) + std::string(window);
    for (const std::string& texture : scene.textures)
        text += " " + texture;
    return text;
}

std::string manyScenes(int count)
{
    std::string text;
    for (int scene = 0; scene < count; ++scene)
        text += "Lyrics " + std::to_string(scene) + " " + std::to_string(scene + 1) + "\n";
    return text;
}

}  // namespace

TEST(SceneList, TheShowAndTheCheckerReadEveryListAlike)
{
    struct Case {
        std::string name;
        std::string text;
        std::vector<std::string> scenes;    // what the show builds
        std::vector<std::string> findings;  // what sovane05-check prints
        std::string timing = "";            // the timing file, when the case is about it
    };
    const std::string overflow = manyScenes(kMostScenes) + "PhotoCompo 500 510\nLyrics 600 610\n";
    std::vector<std::string> hundred;
    for (int scene = 0; scene < kMostScenes; ++scene)
        hundred.push_back("Lyrics " + std::to_string(scene) + "-" + std::to_string(scene + 1));
    const Case cases[] = {
        {"a whole song, with comments, blanks, tabs and CR LF",
         "# the song\r\n\r\nLyrics 0 62.5\r\nPhotoCompo\t62.5  80 photo\r\n   # the chorus\r\nLyrics 80 171\r\n"
         "PhotoCompo 171 183.2 photo2 photo\r\n",
         {"Lyrics 0-62.5", "PhotoCompo 62.5-80 photo", "Lyrics 80-171", "PhotoCompo 171-183.2 photo2 photo"},
         {}},
        {"windows that touch, a photo scene's default texture, the last line without a line feed",
         "Lyrics 10 20\nLyrics 0 10\nPhotoCompo 20 30", {"Lyrics 10-20", "Lyrics 0-10", "PhotoCompo 20-30 photo"}, {}},
        {"overlapping windows", "Lyrics 0 10\nPhotoCompo 9.5 20\nLyrics 20 30\nLyrics 25 26\n",
         {"Lyrics 0-10", "Lyrics 20-30"},
         {"data/scenes.txt:2: error: the window 9.5 to 20 s overlaps line 1's, 0 to 10 s: two scenes that both clear "
          "the frame would hide each other; the show skips the line",
          "data/scenes.txt:4: error: the window 25 to 26 s overlaps line 3's, 20 to 30 s: two scenes that both clear "
          "the frame would hide each other; the show skips the line"}},
        {"empty, inverted and negative windows", "Lyrics 20 10\nPhotoCompo 5 5\nLyrics -1 3\n", {},
         {"data/scenes.txt:1: error: the window 20 to 10 s ends before it starts: a scene draws strictly between its "
          "start and its end; the show skips the line",
          "data/scenes.txt:2: error: the window 5 to 5 s is empty: a scene draws strictly between its start and its "
          "end; the show skips the line",
          "data/scenes.txt:3: error: the window -1 to 3 s starts before the show does, at 0 s; the show skips the line",
          "data/scenes.txt: error: no scene to draw: the music plays over black"}},
        {"kinds are written as the show names them", "lyrics 0 10\nPhotocompo 10 20\nLyrics 20 30\n",
         {"Lyrics 20-30"},
         {"data/scenes.txt:1: error: unknown scene kind \"lyrics\": the kinds are Lyrics and PhotoCompo; the show "
          "skips the line",
          "data/scenes.txt:2: error: unknown scene kind \"Photocompo\": the kinds are Lyrics and PhotoCompo; the show "
          "skips the line"}},
        {"missing fields and fields that are not seconds",
         "Lyrics 0\nPhotoCompo\nLyrics 0:10 20\nLyrics 0 1e999\nLyrics nan 3\nLyrics 0x10 20\nLyrics 1 2 photo\n", {},
         {"data/scenes.txt:1: error: a Lyrics line needs a start and an end in seconds; the show skips the line",
          "data/scenes.txt:2: error: a PhotoCompo line needs a start and an end in seconds; the show skips the line",
          "data/scenes.txt:3: error: \"0:10\" is not a number of seconds; the show skips the line",
          "data/scenes.txt:4: error: \"1e999\" is not a number of seconds; the show skips the line",
          "data/scenes.txt:5: error: \"nan\" is not a number of seconds; the show skips the line",
          "data/scenes.txt:6: error: \"0x10\" is not a number of seconds; the show skips the line",
          "data/scenes.txt:7: error: a Lyrics line takes a start and an end; \"photo\" is one field too many; the show "
          "skips the line",
          "data/scenes.txt: error: no scene to draw: the music plays over black"}},
        {"photo layers: eight at most, each registered", "PhotoCompo 0 10 a b c d e f g h i\nPhotoCompo 10 20 photo3 photo\n",
         {"PhotoCompo 10-20 photo3 photo"},
         {"data/scenes.txt:1: error: a photo scene draws at most 8 textures; \"i\" is one too many; the show skips the "
          "line",
          "data/scenes.txt:2: error: the photo scene draws texture \"photo3\", which no line of the config registers: "
          "the show stops at start-up"}},
        {"windows against the music's end at 183.2 s", "Lyrics 0 183.2\nPhotoCompo 183.2 183.24\nLyrics 183.24 190\n",
         {"Lyrics 0-183.2", "PhotoCompo 183.2-183.24 photo", "Lyrics 183.24-190"},
         {"data/scenes.txt:3: warning: the window 183.24 to 190 s runs past the music's end at 183.200 s: the show "
          "ends with the music"}},
        {"a hundred scenes at most", overflow, hundred,
         {"data/scenes.txt:101: error: scene 101 is one too many: a show has at most 100 scenes, and every later line "
          "is skipped too; the show skips the line"}},
        {"lyric entries against the lyrics scenes",
         "Lyrics 0 10\nPhotoCompo 10 20\nLyrics 20 30\n", {"Lyrics 0-10", "PhotoCompo 10-20 photo", "Lyrics 20-30"},
         {"data/texttiming.txt:2: warning: pair 2 (\"002\"), 12.000 to 15.000 s, never shows: no lyrics scene of the "
          "list holds it",
          "data/texttiming.txt:3: warning: pair 3 (\"001\") shows for only 0.100 s within the lyrics (9.900 to 10.500 "
          "s), under 0.300 s"},
         "1 2\n12 15\n9.9 10.5\n25 26\n"},
        {"no lyrics scene", "PhotoCompo 0 30\n", {"PhotoCompo 0-30 photo"},
         {"data/texttiming.txt:1: warning: pair 1 (\"000\"), 1.000 to 2.000 s, never shows: the scene list has no "
          "lyrics scene"},
         "1 2\n"},
    };
    const std::set<std::string> registered = {"photo", "photo2"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneListFile file;
        file.present = true;
        file.readable = true;
        file.list = parseSceneList(c.text);
        std::vector<std::string> scenes;
        for (const ListedScene& scene : file.list.scenes)
            scenes.push_back(describe(scene));
        EXPECT_EQ(scenes, c.scenes);

        std::vector<Finding> findings;
        Timetable timetable = checkTimetable(
            file, "data/scenes.txt", [&](const std::string& name) { return registered.count(name) > 0; }, 183.2,
            findings);
        EXPECT_EQ(timetable.scenes.size(), file.list.scenes.size()) << "the checker takes the show's scenes";
        if (!c.timing.empty()) {
            TimingCheck timing = readTimingForCheck(c.timing, "data/texttiming.txt", timingRulesOf(timetable), findings);
            checkTimingWindows(timing, "data/texttiming.txt", {}, findings);
        }
        std::vector<std::string> printed;
        for (const Finding& finding : findings)
            printed.push_back(formatFinding(finding));
        EXPECT_EQ(printed, c.findings);
    }

    // Without a list the show keeps its stock timetable; a list it cannot read draws nothing.
    std::vector<Finding> findings;
    auto none = [](const std::string&) { return true; };
    Timetable stock = checkTimetable(SceneListFile{}, "data/scenes.txt", none, 57.9, findings);
    EXPECT_FALSE(stock.listed);
    ASSERT_EQ(stock.scenes.size(), 2u);
    EXPECT_EQ(describe(stock.scenes[0]) + ", " + describe(stock.scenes[1]), "Lyrics 0-45, PhotoCompo 45-58 photo");
    EXPECT_TRUE(findings.empty());
    SceneListFile unreadable;
    unreadable.present = true;
    unreadable.list.faults.push_back({0, "cannot read the scene list (Is a directory)"});
    Timetable black = checkTimetable(unreadable, "data/scenes.txt", none, 57.9, findings);
    EXPECT_TRUE(black.listed && black.scenes.empty());
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(formatFinding(findings[0]),
              "data/scenes.txt: error: cannot read the scene list (Is a directory); the music plays over black");
}
