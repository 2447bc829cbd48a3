// The real sovane05 binary under a virtual display: how it starts, what ends it and what
// does not, and how it reports the failures it cannot recover from.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/CursorImage.h"
#include "tests/support/ShowRun.h"
#include "tests/support/Trace.h"

namespace {

// Short enough to keep the suite quick, long enough that "ended at the music's end" and "ended
// at once" are far apart.
constexpr double kShortTrack = 1.5;
// Longer than any test waits for: when a show with this track ends, something ended it.
constexpr double kLongTrack = 20.0;
// Between the ignored inputs and the end of the music there is time for a wrongly handled
// input to end the show first, even on a loaded machine.
constexpr double kInputTrack = 8.0;
// A last frame and the shut-down on a loaded two-core machine, sanitizers included.
constexpr double kAllowance = 8.0;
// How long a test waits for something it expects on the display (a window state, the cursor).
constexpr double kPatience = 15.0;

// Measured in what the show played (tests/support/ShowRun.h: musicHeard), which leaves out its
// start-up. A whole track is heard a little short: the tone fades in and out over a few samples
// and the decoder trims the encoder's padding.
double playedAtLeast(double track)
{
    return 0.9 * track;
}

// Waits until `condition` holds, or a test's patience runs out; returns its last answer.
bool eventually(const std::function<bool()>& condition)
{
    return waitUntil(condition, kPatience);
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Checks every run: how it ended, and that standard output, which belongs to the shader
// reports, stayed empty.
void expectEnded(const ProcessResult& result, int status)
{
    EXPECT_FALSE(result.timedOut) << "the show was still running at the timeout";
    EXPECT_EQ(result.signal, 0) << "the show was killed by a signal\n" << result.err;
    EXPECT_EQ(result.exitStatus, status) << result.err;
    EXPECT_EQ(result.out, "") << "standard output is for shader reports only";
}

// Whether `line` reads "<field>: <field>: ...: <rest>" with as many non-empty parts as there are
// fragments, each part containing its fragment. The last part takes the rest of the line: it is
// the reason a library gave, which may hold ": " itself.
bool hasFields(const std::string& line, const std::vector<std::string>& fragments)
{
    size_t start = 0;
    for (size_t i = 0; i < fragments.size(); ++i) {
        bool last = i + 1 == fragments.size();
        size_t end = last ? line.size() : line.find(": ", start);
        if (end == std::string::npos || end == start)
            return false;
        if (line.substr(start, end - start).find(fragments[i]) == std::string::npos)
            return false;
        start = end + 2;
    }
    return true;
}

struct WindowGeometry {
    int x = -1, y = -1, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};
std::ostream& operator<<(std::ostream& out, const WindowGeometry& g)
{
    return out << g.width << "x" << g.height << " at " << g.x << "," << g.y;
}

// The window's place on the screen, as xwininfo tells it.
WindowGeometry geometryOf(const std::string& window)
{
    WindowGeometry geometry;
    std::istringstream lines(xClient({"xwininfo", "-id", window}).out);
    for (std::string line; std::getline(lines, line);) {
        auto read = [&](const char* label, int& field) {
            size_t at = line.find(label);
            if (at != std::string::npos)
                field = std::stoi(line.substr(at + std::string(label).size()));
        };
        read("Absolute upper-left X:", geometry.x);
        read("Absolute upper-left Y:", geometry.y);
        read("Width:", geometry.width);
        read("Height:", geometry.height);
    }
    return geometry;
}

}  // namespace

TEST(ShowRuntime, EndsWithStatusZeroWhenTheMusicEndsAndNotBefore)
{
    ShowFolder folder(kShortTrack);
    ShowRun show(folder.path(), {.arguments = {}, .environment = recordSoundInto(folder / "sound.raw")});
    std::string window = show.waitForWindow();
    ProcessResult result = show.finish(kShortTrack + 60.0);

    EXPECT_NE(window, "") << "no window titled Sovane05 appeared";
    expectEnded(result, 0);
    EXPECT_EQ(showLines(result.err), std::vector<std::string>{});
    HeardMusic heard = musicHeard(folder / "sound.raw");
    EXPECT_GE(heard.seconds, playedAtLeast(kShortTrack)) << "ended before the music did";
    EXPECT_LE(heard.afterSeconds, kAllowance) << "went on long after the music";
}

TEST(ShowRuntime, EscapeKeyDownEndsTheShowPromptly)
{
    ShowFolder folder(kLongTrack);
    ShowRun show(folder.path(), {.arguments = {}, .environment = recordSoundInto(folder / "sound.raw")});
    std::string window = show.waitForWindow();
    ASSERT_NE(window, "") << "no window titled Sovane05 appeared";

    // Only the press: the show must not wait for the key to come back up.
    double pressed = monotonicSeconds();
    EXPECT_EQ(xdotool({"keydown", "--window", window, "Escape"}).exitStatus, 0);
    ProcessResult result = show.finish(kLongTrack + 60.0);
    double ended = monotonicSeconds();

    expectEnded(result, 0);
    EXPECT_EQ(showLines(result.err), std::vector<std::string>{});
    EXPECT_LT(ended - pressed, kAllowance) << "Escape did not end the show promptly";
    EXPECT_LT(musicHeard(folder / "sound.raw").seconds, playedAtLeast(kLongTrack)) << "the show ran to the end of the music";
}

// SDL would turn both signals into the quit event a close request also makes, which the show
// ignores; they must end it the way Escape does.
TEST(ShowRuntime, SigintAndSigtermEndTheShowInOrderWithStatusZero)
{
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        ShowFolder folder(kLongTrack);
        ShowRun show(folder.path(), {.arguments = {}, .environment = recordSoundInto(folder / "sound.raw")});
        std::string window = show.waitForWindow();
        ASSERT_NE(window, "") << "no window titled Sovane05 appeared";
        show.signal(signal);
        ProcessResult result = show.finish(kLongTrack + 60.0);

        expectEnded(result, 0);
        EXPECT_EQ(showLines(result.err), std::vector<std::string>{});
        EXPECT_LT(musicHeard(folder / "sound.raw").seconds, playedAtLeast(kLongTrack)) << "the signal did not end it";
    }
}

// Keys go to the window as the Escape test sends its key, so they do reach the show; through
// all of these inputs it must play on and end only with the music.
TEST(ShowRuntime, CloseRequestsOtherKeysKeyReleasesAndTheMouseDoNotEndTheShow)
{
    ShowFolder folder(kInputTrack);
    ShowRun show(folder.path(), {.arguments = {}, .environment = recordSoundInto(folder / "sound.raw")});
    std::string window = show.waitForWindow();
    ASSERT_NE(window, "") << "no window titled Sovane05 appeared";

    struct Input {
        const char* what;
        std::vector<std::string> command;
    };
    const std::vector<Input> inputs = {
        {"a close request from the window manager (WM_DELETE_WINDOW)", {"wmctrl", "-i", "-c", window}},
        {"letters, q and x among them", {"xdotool", "key", "--window", window, "a", "q", "x"}},
        {"space and Return", {"xdotool", "key", "--window", window, "space", "Return", "KP_Enter"}},
        {"the shortcuts other programs quit on", {"xdotool", "key", "--window", window, "ctrl+q", "ctrl+w", "alt+F4"}},
        {"a key held, then released",
         {"xdotool", "keydown", "--window", window, "Shift_L", "keyup", "--window", window, "Shift_L"}},
        {"mouse motion",
         {"xdotool", "mousemove", "--window", window, "100", "100", "mousemove", "--window", window, "1800", "900"}},
        {"a mouse click", {"xdotool", "click", "--window", window, "1"}},
    };
    for (const Input& input : inputs) {
        ProcessResult sent = xClient(input.command);
        EXPECT_EQ(sent.exitStatus, 0) << "could not send " << input.what << ": " << sent.err;
        EXPECT_TRUE(show.running()) << "the show had ended by the time " << input.what << " was sent";
    }

    ProcessResult result = show.finish(kInputTrack + 60.0);
    expectEnded(result, 0);
    EXPECT_EQ(showLines(result.err), std::vector<std::string>{});
    EXPECT_GE(musicHeard(folder / "sound.raw").seconds, playedAtLeast(kInputTrack))
        << "one of the inputs ended the show before the music did";
}

TEST(ShowRuntime, WindowIsTitledSovane05CoversTheScreenAndHidesTheCursor)
{
    // Seen before the show starts, so a blank cursor later is the show's doing.
    std::optional<CursorImage> before = currentCursor();
    ASSERT_TRUE(before.has_value()) << "cannot read the cursor of the virtual display";
    ASSERT_GT(before->visiblePixels, 0) << "the display's own cursor should be visible";

    ShowFolder folder(kLongTrack);
    ShowRun show(folder.path());
    std::string window = show.waitForWindow();
    ASSERT_NE(window, "") << "no window titled Sovane05 appeared";

    EXPECT_EQ(trimmed(xdotool({"getwindowname", window}).out), "Sovane05");
    EXPECT_EQ(trimmed(xdotool({"getdisplaygeometry"}).out), "1920 1080");

    // Going full screen is a request the window manager grants after the window appears.
    const WindowGeometry screen{0, 0, 1920, 1080};
    WindowGeometry geometry;
    eventually([&] { return (geometry = geometryOf(window)) == screen; });
    EXPECT_EQ(geometry, screen);
    std::string state;
    eventually([&] {
        state = xClient({"xprop", "-id", window, "_NET_WM_STATE"}).out;
        return state.find("_NET_WM_STATE_FULLSCREEN") != std::string::npos;
    });
    EXPECT_NE(state.find("_NET_WM_STATE_FULLSCREEN"), std::string::npos) << state;

    // The pointer over the window shows the window's cursor.
    EXPECT_EQ(xdotool({"mousemove", "960", "540"}).exitStatus, 0);
    std::optional<CursorImage> over;
    eventually([&] {
        over = currentCursor();
        return over && over->visiblePixels == 0;
    });
    ASSERT_TRUE(over.has_value());
    EXPECT_EQ(over->visiblePixels, 0) << "a " << over->width << "x" << over->height << " cursor \"" << over->name
                                      << "\" shows over the window";

    EXPECT_TRUE(show.running()) << "the show ended before its window could be checked";
    xdotool({"key", "--window", window, "Escape"});
    ProcessResult result = show.finish(kLongTrack + 60.0);
    expectEnded(result, 0);
}

TEST(ShowRuntime, IgnoresItsArguments)
{
    const std::vector<std::vector<std::string>> argumentLists = {
        {"--help"},
        {"--version"},
        {"-w", "1280", "720", "--windowed"},
        {"data/other.mp3", "no such file"},
    };
    ShowFolder folder(kShortTrack);
    for (const std::vector<std::string>& arguments : argumentLists) {
        SCOPED_TRACE("arguments: " + ::testing::PrintToString(arguments));
        ShowOptions options;
        options.arguments = arguments;
        options.environment = recordSoundInto(folder / "sound.raw");
        ShowRun show(folder.path(), options);
        EXPECT_NE(show.waitForWindow(), "") << "no window titled Sovane05 appeared";
        ProcessResult result = show.finish(kShortTrack + 60.0);
        expectEnded(result, 0);
        EXPECT_EQ(showLines(result.err), std::vector<std::string>{});
        EXPECT_GE(musicHeard(folder / "sound.raw").seconds, playedAtLeast(kShortTrack)) << "ended before the music did";
    }
}

// Without sound the show still draws and presents one frame, then ends in order, as a failure;
// when SDL itself cannot start, nothing is drawn.
TEST(ShowRuntime, StartUpFailuresAreReportedOnOneLineAndEndWithStatusOne)
{
    struct Case {
        const char* what;
        std::vector<std::string> environment;  // {folder} in a value becomes the show's folder
        std::optional<std::string> music;      // replaces data/ywsf.mp3; "" removes it
        std::vector<std::string> fields;       // of the show's one line, see hasFields
        std::optional<size_t> frames;          // frames presented, counted in a trace
        bool librariesSilent;                  // then that line is all of standard error
    };
    const std::vector<Case> cases = {
        {"music missing", {}, "", {"sovane05", "data/ywsf.mp3", "", ""}, 1, true},
        {"music that is not MP3", {}, "not music at all\n", {"sovane05", "data/ywsf.mp3", "", ""}, 1, false},
        // The disk driver starts with SDL but cannot open its file, as a sound card can fail.
        {"audio device that cannot be opened",
         {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE={folder}/no-such-folder/audio.raw"},
         std::nullopt,
         {"sovane05", "audio", "no-such-folder/audio.raw"},
         1,
         true},
        {"audio driver that does not exist",
         {"SDL_AUDIODRIVER=nonexistent"},
         std::nullopt,
         {"sovane05", "SDL", "nonexistent"},
         std::nullopt,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowFolder folder(kShortTrack);
        if (c.music && c.music->empty())
            std::filesystem::remove(folder / "data/ywsf.mp3");
        else if (c.music)
            writeFile(folder / "data/ywsf.mp3", *c.music);
        std::vector<std::string> environment;
        for (std::string variable : c.environment) {
            if (size_t at = variable.find("{folder}"); at != std::string::npos)
                variable.replace(at, 8, folder.path().string());
            environment.push_back(variable);
        }

        ShowOptions options;
        options.environment = environment;
        options.trace = c.frames.has_value();
        ShowRun show(folder.path(), options);
        ProcessResult result = show.finish(60.0);
        expectEnded(result, 1);

        std::vector<std::string> lines = showLines(result.err);
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_TRUE(hasFields(lines[0], c.fields)) << lines[0];
        if (c.librariesSilent) {
            EXPECT_EQ(linesWithoutTracer(result.err), lines);
        }
        if (c.frames) {
            Trace trace = readTrace(folder / "show.trace");
            EXPECT_EQ(trace.count({"glXSwapBuffers"}), *c.frames);
        }
    }
}

TEST(ShowRuntime, WithoutADisplayReportsOneLineAndEndsWithStatusOne)
{
    TempDir runtimeFolder;
    struct Case {
        const char* what;
        std::vector<std::string> environment;
        bool librariesSilent;  // Wayland's client library complains when XDG_RUNTIME_DIR is unset
    };
    const std::vector<Case> cases = {
        {"a session without a display", {"XDG_RUNTIME_DIR=" + runtimeFolder.path().string()}, true},
        {"a bare environment", {"XDG_RUNTIME_DIR"}, false},
    };
    ShowFolder folder(kShortTrack);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> environment = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
        environment.insert(environment.end(), c.environment.begin(), c.environment.end());
        ShowOptions options;
        options.environment = environment;
        ShowRun show(folder.path(), options);
        ProcessResult result = show.finish(60.0);
        expectEnded(result, 1);

        std::vector<std::string> lines = showLines(result.err);
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_TRUE(hasFields(lines[0], {"sovane05", "display", ""})) << lines[0];
        if (c.librariesSilent) {
            EXPECT_EQ(linesWithoutTracer(result.err), lines);
        }
    }
}

TEST(ShowRuntime, AsksForAnOpenGL41CoreContextAndSetsTheGlobalStateBeforeTheFirstFrame)
{
    ShowFolder folder(kShortTrack);
    ShowOptions options;
    options.trace = true;
    ShowRun show(folder.path(), options);
    ProcessResult result = show.finish(kShortTrack + 90.0);
    expectEnded(result, 0);
    EXPECT_EQ(showLines(result.err), std::vector<std::string>{});
    Trace trace = readTrace(folder / "show.trace");

    // SDL first makes a throwaway legacy context to probe; the show's context is the last one.
    std::optional<size_t> context = trace.findLast({"glXCreateContextAttribsARB"});
    ASSERT_TRUE(context.has_value()) << "no glXCreateContextAttribsARB call";
    const TraceCall& contextCall = trace.calls[*context];
    EXPECT_NE(contextCall.result, "NULL");
    std::map<std::string, std::string> contextAttributes = attributePairs(contextCall.argument("attrib_list").value_or(""));
    EXPECT_EQ(contextAttributes["GLX_CONTEXT_MAJOR_VERSION_ARB"], "4") << contextCall;
    EXPECT_EQ(contextAttributes["GLX_CONTEXT_MINOR_VERSION_ARB"], "1") << contextCall;
    EXPECT_EQ(contextAttributes["GLX_CONTEXT_PROFILE_MASK_ARB"], "GLX_CONTEXT_CORE_PROFILE_BIT_ARB") << contextCall;
    EXPECT_EQ(contextAttributes.count("GLX_CONTEXT_FLAGS_ARB"), 0u) << "no debug, forward-compatible or robust flags\n"
                                                                    << contextCall;

    // The frame buffer format stays SDL's default: the show sets no size, sampling or sRGB.
    std::optional<size_t> configChoice = trace.findLast({"glXChooseFBConfig"}, *context);
    ASSERT_TRUE(configChoice.has_value()) << "no glXChooseFBConfig before the context";
    const TraceCall& configCall = trace.calls[*configChoice];
    std::map<std::string, std::string> config = attributePairs(configCall.argument("attribList").value_or(""));
    const std::map<std::string, std::string> sdlDefaults = {
        {"GLX_RED_SIZE", "3"}, {"GLX_GREEN_SIZE", "3"}, {"GLX_BLUE_SIZE", "2"}, {"GLX_DEPTH_SIZE", "16"}};
    for (const auto& [attribute, value] : sdlDefaults)
        EXPECT_EQ(config[attribute], value) << attribute << " in " << configCall.argument("attribList").value_or("");
    for (const char* attribute : {"GLX_ALPHA_SIZE", "GLX_STENCIL_SIZE", "GLX_ACCUM_RED_SIZE", "GLX_STEREO",
                                  "GLX_SAMPLE_BUFFERS", "GLX_SAMPLE_BUFFERS_ARB", "GLX_SAMPLES", "GLX_SAMPLES_ARB",
                                  "GLX_FRAMEBUFFER_SRGB_CAPABLE_ARB", "GLX_FRAMEBUFFER_SRGB_CAPABLE_EXT"})
        EXPECT_EQ(config.count(attribute), 0u) << attribute << " in " << configCall.argument("attribList").value_or("");

    const std::vector<CallPattern> globalState = {
        {"glClearColor", {{"red", "0"}, {"green", "0"}, {"blue", "0"}, {"alpha", "0"}}},
        {"glEnable", {{"cap", "GL_DEPTH_TEST"}}},
        {"glEnable", {{"cap", "GL_PROGRAM_POINT_SIZE"}}},
        {"glEnable", {{"cap", "GL_BLEND"}}},
        {"glBlendFunc", {{"sfactor", "GL_SRC_ALPHA"}, {"dfactor", "GL_ONE_MINUS_SRC_ALPHA"}}},
    };
    std::vector<size_t> found = trace.findInOrder(globalState, *context + 1);
    ASSERT_EQ(found.size(), globalState.size()) << "after the context, in order, missing: " << globalState[found.size()];
    std::optional<size_t> firstSwap = trace.find({"glXSwapBuffers"});
    ASSERT_TRUE(firstSwap.has_value()) << "no frame was presented";
    EXPECT_LT(found.back(), *firstSwap) << "the global state is set before the first frame";

    // The viewport stays what GL gives a new context: the whole window.
    std::optional<size_t> viewport = trace.find({"glViewport"});
    EXPECT_FALSE(viewport.has_value()) << trace.calls[viewport.value_or(0)];
}
