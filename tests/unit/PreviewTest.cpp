// The preview's decisions that need no window and no GL: keys, the clock, the title, what a
// rebuild depends on, noticing edits, the wording of faults and which build to show.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/preview/BuildFaults.h"
#include "tools/preview/FileWatch.h"
#include "tools/preview/PreviewClock.h"
#include "tools/preview/PreviewKeys.h"
#include "tools/preview/PreviewTitle.h"
#include "tools/preview/ShowSources.h"

TEST(PreviewKeys, EachKeyGivesItsCommandAndOnlySeeksAndStepsRepeat)
{
    using Kind = PreviewCommand::Kind;
    struct Case {
        SDL_Keycode key;
        uint16_t modifiers;
        bool repeat;
        std::optional<PreviewCommand> command;
    };
    const Case cases[] = {
        {SDLK_SPACE, 0, false, PreviewCommand{Kind::TogglePause}},
        {SDLK_SPACE, 0, true, std::nullopt},
        {SDLK_RIGHT, 0, false, PreviewCommand{Kind::SeekBy, 5.0}},
        {SDLK_LEFT, 0, true, PreviewCommand{Kind::SeekBy, -5.0}},
        {SDLK_RIGHT, KMOD_LSHIFT, false, PreviewCommand{Kind::SeekBy, 1.0}},
        {SDLK_LEFT, KMOD_RSHIFT, false, PreviewCommand{Kind::SeekBy, -1.0}},
        {SDLK_PERIOD, 0, true, PreviewCommand{Kind::StepBy, 1.0 / 60.0}},
        {SDLK_COMMA, 0, false, PreviewCommand{Kind::StepBy, -1.0 / 60.0}},
        {SDLK_HOME, 0, false, PreviewCommand{Kind::GoToStart}},
        {SDLK_LEFTBRACKET, 0, false, PreviewCommand{Kind::SetLoopStart}},
        {SDLK_RIGHTBRACKET, 0, false, PreviewCommand{Kind::SetLoopEnd}},
        {SDLK_BACKSLASH, 0, false, PreviewCommand{Kind::ClearLoop}},
        {SDLK_r, 0, false, PreviewCommand{Kind::Reload}},
        {SDLK_r, 0, true, std::nullopt},
        {SDLK_q, 0, false, PreviewCommand{Kind::Quit}},
        {SDLK_ESCAPE, 0, false, PreviewCommand{Kind::Quit}},
        {SDLK_a, 0, false, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandForKey(c.key, c.modifiers, c.repeat), c.command)
            << "key " << c.key << ", modifiers " << c.modifiers << ", repeat " << c.repeat;
    }
}

namespace {

enum class Op { SeekTo, SeekBy, StepBy, TogglePause, Music, Frame };

// One operation at a moment `now` of the caller's clock, then what the clock must say.
struct ClockStep {
    Op op;
    double value;
    double now;
    double time;
    bool paused;
    std::optional<double> musicTo = std::nullopt;  // what the operation or frame says to the music
};

std::optional<double> run(PreviewClock& clock, const ClockStep& step)
{
    switch (step.op) {
    case Op::SeekTo:
        return clock.seekTo(step.value, step.now);
    case Op::SeekBy:
        return clock.seekBy(step.value, step.now);
    case Op::StepBy:
        return clock.stepBy(step.value, step.now);
    case Op::TogglePause:
        return clock.togglePause(step.now);
    case Op::Music:
        clock.followMusic(step.value, step.now);
        return std::nullopt;
    case Op::Frame:
        break;
    }
    return clock.frame(step.now).musicTo;
}

}  // namespace

TEST(PreviewClock, SeeksStepsPausesAndTheMusicMoveTheTimeAsExpected)
{
    constexpr double kFrame = 1.0 / 60.0;
    struct Case {
        const char* what;
        double startAt;
        bool paused;
        std::vector<ClockStep> steps;
    };
    // The music is 60 s long in every case; the caller's clock starts at 100.
    const Case cases[] = {
        {"seeks stay within the music",
         10.0, true,
         {{Op::SeekBy, -15.0, 100.0, 0.0, true, 0.0},
          {Op::SeekBy, 70.0, 100.0, 60.0, true, 60.0},
          {Op::SeekTo, 30.0, 100.0, 30.0, true, 30.0}}},
        {"frames follow the clock while playing, hold while paused, and resume where they held",
         10.0, false,
         {{Op::Frame, 0, 101.5, 11.5, false},
          {Op::TogglePause, 0, 102.0, 12.0, true},
          {Op::Frame, 0, 110.0, 12.0, true},
          {Op::TogglePause, 0, 110.0, 12.0, false, 12.0},
          {Op::Frame, 0, 111.0, 13.0, false},
          {Op::SeekBy, 5.0, 111.0, 18.0, false, 18.0},
          {Op::Frame, 0, 112.0, 19.0, false}}},
        {"frame steps only while paused",
         10.0, false,
         {{Op::StepBy, kFrame, 100.0, 10.0, false},
          {Op::TogglePause, 0, 101.0, 11.0, true},
          {Op::StepBy, kFrame, 101.0, 11.0 + kFrame, true, 11.0 + kFrame},
          {Op::StepBy, -2 * kFrame, 101.0, 11.0 - kFrame, true, 11.0 - kFrame}}},
        {"the end pauses there, and resuming there starts from 0",
         59.0, false,
         {{Op::Frame, 0, 100.5, 59.5, false},
          {Op::Frame, 0, 102.0, 60.0, true},
          {Op::TogglePause, 0, 103.0, 0.0, false, 0.0}}},
        {"the music's reports: a small difference is taken gradually, a repeated report is ignored, a large "
         "difference at once, and frames never go back",
         10.0, false,
         {{Op::Music, 10.08, 100.0, 10.0, false},
          {Op::Frame, 0, 100.0, 10.01, false},
          {Op::Music, 10.08, 100.0, 10.01, false},
          {Op::Frame, 0, 100.0, 10.01, false},
          {Op::Music, 9.0, 101.0, 10.01, false},
          {Op::Frame, 0, 101.0, 10.01, false},
          {Op::Frame, 0, 102.5, 10.5, false},
          {Op::Music, 14.0, 102.5, 10.5, false},
          {Op::Frame, 0, 102.5, 14.0, false}}},
    };
    for (const Case& c : cases) {
        PreviewClock clock(60.0, c.startAt, c.paused, 100.0);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const ClockStep& step = c.steps[i];
            std::optional<double> musicTo = run(clock, step);
            EXPECT_NEAR(clock.time(), step.time, 1e-9) << c.what << ", step " << i;
            EXPECT_EQ(clock.paused(), step.paused) << c.what << ", step " << i;
            EXPECT_EQ(musicTo.has_value(), step.musicTo.has_value()) << c.what << ", step " << i;
            if (musicTo && step.musicTo) {
                EXPECT_NEAR(*musicTo, *step.musicTo, 1e-9) << c.what << ", step " << i;
            }
        }
    }
}

TEST(PreviewClock, ALoopTakesItsBoundsFromTheMomentShownAndPlaysBackFromItsStart)
{
    PreviewClock clock(60.0, 30.0, true, 0.0);
    clock.setLoopEnd();
    EXPECT_EQ(clock.loop(), (LoopRange{0.0, 30.0})) << "an end alone loops from the start of the music";
    clock.seekTo(40.0, 0.0);
    clock.setLoopStart();
    EXPECT_EQ(clock.loop(), (LoopRange{40.0, 60.0})) << "a start after the end drops the end";
    clock.seekTo(35.0, 0.0);
    clock.setLoopEnd();
    EXPECT_EQ(clock.loop(), (LoopRange{0.0, 35.0})) << "an end before the start drops the start";
    clock.seekTo(33.0, 0.0);
    clock.setLoopStart();
    EXPECT_EQ(clock.loop(), (LoopRange{33.0, 35.0}));

    clock.togglePause(0.0);
    EXPECT_NEAR(clock.frame(1.5).time, 34.5, 1e-9);
    PreviewClock::Frame back = clock.frame(2.0);
    EXPECT_EQ(back.time, 33.0) << "reaching the end goes back to the start";
    EXPECT_EQ(back.musicTo, 33.0) << "and takes the music with it";
    EXPECT_NEAR(clock.frame(2.5).time, 33.5, 1e-9);
    clock.clearLoop();
    EXPECT_EQ(clock.loop(), std::nullopt);
    EXPECT_NEAR(clock.frame(4.5).time, 35.5, 1e-9);
}

TEST(PreviewTitle, SaysTheTimeSceneEntriesPauseLoopAndFault)
{
    struct Case {
        TitleFacts facts;
        std::string title;
    };
    const std::string longFault = "data/white.frag:3: error: " + std::string(200, 'x');
    const Case cases[] = {
        {{12.344, "Lyrics", {"081", "080"}, true, std::nullopt, ""},
         "Sovane05 preview \u00b7 12.34 s \u00b7 Lyrics \u00b7 081 080 \u00b7 paused"},
        {{0.0, "", {}, false, std::nullopt, ""}, "Sovane05 preview \u00b7 0.00 s \u00b7 no scene"},
        {{141.5, sceneTitle("PhotoCompo", 3, 9), {}, false, std::nullopt, ""},
         "Sovane05 preview \u00b7 141.50 s \u00b7 PhotoCompo 4/9"},
        {{50.0, "PhotoCompo", {}, false, LoopRange{48.5, 52.0}, "data/photo.png: the image does not decode"},
         "Sovane05 preview \u00b7 50.00 s \u00b7 PhotoCompo \u00b7 loop 48.50-52.00 s \u00b7 data/photo.png: the image "
         "does not decode"},
        {{1.0, "Lyrics", {}, true, std::nullopt, longFault},
         "Sovane05 preview \u00b7 1.00 s \u00b7 Lyrics \u00b7 paused \u00b7 " + longFault.substr(0, 100) + "..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(previewTitle(c.facts), c.title);

    double start[kLyricLineCount] = {};
    double end[kLyricLineCount] = {};
    start[5] = 10.0, end[5] = 13.0;
    start[6] = 12.0, end[6] = 14.0;
    EXPECT_EQ(activeEntryNames(start, end, kLyricLineCount, 12.5), (std::vector<std::string>{"081", "080"}));
    EXPECT_EQ(activeEntryNames(start, end, kLyricLineCount, 13.0), (std::vector<std::string>{"080"}));
    // A made show's names count down from its own number of entries.
    EXPECT_EQ(activeEntryNames(start, end, 10, 12.5), (std::vector<std::string>{"004", "003"}));
}

TEST(ShowSources, WatchesTheConfigTheTimingAndEveryNamedFileOnceAndKnowsWhereEachNameCameFrom)
{
    ShowSources sources = readShowSources(
        "Shader white data/white.frag data/quad.vert\r\n"
        "Texture 000 data/lyrics/000.png\n"
        "# a comment data/ignored.png\n"
        "Texture\n"
        "Shader textlayout data/text.frag data/quad.vert\n"
        "Mesh tetra data/meshes/tetra.mesh\n"
        "File notes data/notes.txt\n"
        "Texture 000 data/lyrics/000 again.png");
    EXPECT_EQ(sources.watched,
              (std::vector<std::string>{"data/config.txt", "data/texttiming.txt", "data/scenes.txt", "data/white.frag",
                                        "data/quad.vert",
                                        "data/lyrics/000.png", "data/text.frag", "data/meshes/tetra.mesh",
                                        "data/notes.txt", "data/lyrics/000 again.png"}));
    EXPECT_EQ(sources.texturePaths.at("000"), "data/lyrics/000 again.png") << "the later line wins, as in the show";
    EXPECT_EQ(sources.programs.at("textlayout").fragmentPath, "data/text.frag");
    EXPECT_EQ(sources.programs.at("textlayout").vertexPath, "data/quad.vert");
    EXPECT_EQ(sources.programs.at("textlayout").configLine, 5u);
}

TEST(BuildFaults, DriverLogsBecomeLinesNamingTheFileAndLine)
{
    struct Case {
        std::string log;
        std::vector<std::string> faults;
    };
    const Case cases[] = {
        {"0:5(12): error: syntax error, unexpected '}'\n0:7(1): error: `x' undeclared\n",
         {"data/white.frag:5: error: syntax error, unexpected '}'", "data/white.frag:7: error: `x' undeclared"}},
        {"0:12: error: no main\r\n", {"data/white.frag:12: error: no main"}},
        {"error: linking failed\n\n", {"data/white.frag: error: linking failed"}},
        {"0:5(x): odd\n", {"data/white.frag: 0:5(x): odd"}},
        {"", {"data/white.frag: does not compile"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compileFaults("data/white.frag", c.log), c.faults) << c.log;

    EXPECT_EQ(linkFaults("white", {"data/white.frag", "data/quad.vert", 3}, "error: fragment shader lacks `main'\n"),
              std::vector<std::string>{
                  "data/config.txt:3: program \"white\" does not link: error: fragment shader lacks `main'"});
}

TEST(BuildFaults, TheLastGoodShowStaysUntilAGoodOneComes)
{
    using Q = BuildQuality;
    struct Case {
        Q shown;
        Q candidate;
        bool replaces;
    };
    const Case cases[] = {
        {Q::Sound, Q::Sound, true},  {Q::Sound, Q::Faulty, false},  {Q::Sound, Q::None, false},
        {Q::Faulty, Q::Sound, true}, {Q::Faulty, Q::Faulty, true},  {Q::Faulty, Q::None, false},
        {Q::None, Q::Sound, true},   {Q::None, Q::Faulty, true},    {Q::None, Q::None, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(replacesShown(c.shown, c.candidate), c.replaces) << int(c.shown) << " then " << int(c.candidate);
}

TEST(FileWatch, EachSettledChangeToAWatchedFileGivesOneReloadWithinHalfASecond)
{
    struct Case {
        const char* what;
        std::function<void(const TempDir&)> edit;
        int edits;  // how many times, 50 ms apart in the watch's time
    };
    auto append = [](const std::filesystem::path& path) { std::ofstream(path, std::ios::app) << "more"; };
    const Case cases[] = {
        {"a watched file written", [&](const TempDir& d) { append(d / "data/white.frag"); }, 1},
        {"a watched file written five times in a row", [&](const TempDir& d) { append(d / "data/white.frag"); }, 5},
        {"a watched file replaced by a rename",
         [](const TempDir& d) {
             writeFile(d / "data/new.frag", "new");
             std::filesystem::rename(d / "data/new.frag", d / "data/white.frag");
         },
         1},
        {"a watched file removed", [](const TempDir& d) { std::filesystem::remove(d / "data/white.frag"); }, 1},
        {"a missing watched file made", [](const TempDir& d) { writeFile(d / "data/missing.png", "x"); }, 1},
        {"a file beside them that is not watched", [&](const TempDir& d) { append(d / "data/other.txt"); }, 0},
    };
    for (const Case& c : cases) {
        TempDir folder;
        writeFile(folder / "data/white.frag", "void main() {}");
        writeFile(folder / "data/other.txt", "other");
        FileWatch watch;
        watch.watch({(folder / "data/white.frag").string(), (folder / "data/missing.png").string()}, 0.0);
        std::vector<double> reloads;
        int editTicks = std::max(c.edits, 1);
        for (int tick = 0; tick <= 30; ++tick) {
            double now = tick * 0.05;
            if (tick < editTicks)
                c.edit(folder);
            if (watch.reloadDue(now))
                reloads.push_back(now);
        }
        if (c.edits == 0) {
            EXPECT_EQ(reloads, std::vector<double>{}) << c.what;
            continue;
        }
        double lastEdit = (editTicks - 1) * 0.05;
        ASSERT_EQ(reloads.size(), 1u) << c.what;
        EXPECT_GE(reloads[0], lastEdit + ReloadSchedule::kQuiet - 1e-9) << c.what << ": before the files settled";
        EXPECT_LE(reloads[0], lastEdit + 0.5 + 1e-9) << c.what;
    }
}
