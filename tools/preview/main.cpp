// sovane05-preview: the show in a window, played from any moment with its music, paused,
// scrubbed and looped from the keyboard, and rebuilt in place whenever a file it reads changes.
#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ShowClock.h"
#include "platform/gl/GlStartup.h"
#include "rules/InputFile.h"
#include "rules/ShowTimeline.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/preview/FileWatch.h"
#include "tools/preview/OwnedShow.h"
#include "tools/preview/PreviewClock.h"
#include "tools/preview/PreviewKeys.h"
#include "tools/preview/PreviewMusic.h"
#include "tools/preview/PreviewTitle.h"

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-preview [--data DIR] [--at SECONDS] [--paused] [--fullscreen] [--size WIDTHxHEIGHT]\n"
    "\n"
    "Plays the show in a window from any moment, with its music, and rebuilds it at the same\n"
    "moment whenever a file it reads changes: the config, every file the config names and the\n"
    "timing file. A build with a program that does not compile or link, an image that does not\n"
    "decode or a config that stops start-up is reported and the last good show stays.\n"
    "\n";

constexpr std::string_view kNotes =
    "Keys: Space pauses and resumes; Left and Right seek 5 s, with Shift 1 s; ',' and '.' step\n"
    "one frame while paused; Home goes to 0 s; '[' and ']' set a loop's start and end at the\n"
    "moment shown and '\\' clears it; r reloads everything now; Escape and q quit.\n";

constexpr double kFrameInterval = 1.0 / 60.0;
// While paused the picture changes only on request; events and files are still looked at this
// often (milliseconds).
constexpr int kPausedWait = 50;

struct Options {
    std::string data;  // empty: the working folder's show, else the installed one
    double at = 0.0;
    bool paused = false;
    bool fullscreen = false;
    int width = 1280;
    int height = 720;
};

std::vector<Option> optionTable(Options& options)
{
    auto at = [&options](const OptionUse& use) {
        std::optional<double> seconds = parseNumber(use.value);
        if (!seconds || *seconds < 0.0)
            return "--at needs a number of seconds from 0, not '" + std::string(use.value) + "'";
        options.at = *seconds;
        return std::string();
    };
    return {
        {"--data", "", "DIR", "the show's data folder (default ./data, else the installed show's)",
         storeValue(options.data)},
        {"--at", "", "SECONDS", "start at this moment of the show (default 0)", at},
        {"--paused", "", "", "start paused", setFlag(options.paused)},
        {"--fullscreen", "", "", "the show's full-screen window", setFlag(options.fullscreen)},
        {"--size", "", "WIDTHxHEIGHT", "the window's size (default 1280x720)",
         storeSize(options.width, options.height, 16, 8192)},
    };
}

const Tool kTool = describeTool("sovane05-preview", kSynopsis, optionTable, kNotes);

void say(const std::string& line)
{
    std::fprintf(stderr, "%.*s: %s\n", int(kTool.name.size()), kTool.name.data(), line.c_str());
}

double now()
{
    return double(SDL_GetPerformanceCounter()) / double(SDL_GetPerformanceFrequency());
}

// Through the show's input check: a FIFO put in its place would otherwise hold the window still
// until something wrote to it. A config that cannot be read names nothing to watch; the build
// says why.
std::string readConfig()
{
    return readInputFile(kShowConfigPath).text;
}

// Everything that lives from the window's opening to its closing.
class Preview {
public:
    Preview(SDL_Window* previewWindow, const Options& given, const DataFolder& showFolder)
        : window(previewWindow), options(given), folder(showFolder)
    {
    }

    // Builds the first show and starts the music; false when nothing can be drawn.
    bool start();
    void run();

private:
    void rebuild();
    void handle(const SDL_Event& event);
    void apply(const PreviewCommand& command);
    void moveMusic(std::optional<double> to);
    void showFrame(double time);

    SDL_Window* window;
    Options options;
    const DataFolder& folder;
    std::unique_ptr<OwnedShow> shown;
    std::unique_ptr<PreviewMusic> music;
    std::unique_ptr<PreviewClock> clock;
    FileWatch files;
    std::vector<std::string> reported;  // the faults last reported, so each is said once
    std::string fault;                  // the first of them, for the title
    std::string title;
    bool quit = false;
    bool redraw = true;
    bool reloadAsked = false;
};

bool Preview::start()
{
    rebuild();
    if (!shown->hasContext())
        return false;
    music = std::make_unique<PreviewMusic>(kShowMusicPath, say);
    // Without music the clock runs to the end of the last scene.
    clock = std::make_unique<PreviewClock>(music->length().value_or(kPhotoEnd), options.at, options.paused, now());
    moveMusic(clock->time());
    return true;
}

void Preview::rebuild()
{
    double started = now();
    ShowSources sources = readShowSources(readConfig());
    // Before the build reads them, so an edit made while it builds is seen afterwards.
    files.watch(sources.watched, started);
    auto candidate = std::make_unique<OwnedShow>(window, sources);

    bool replaces = !shown || replacesShown(shown->quality(), candidate->quality());
    if (candidate->faults() != reported) {
        for (const std::string& line : candidate->faults())
            say(folder.asTyped(line));
        reported = candidate->faults();
    }
    fault = reported.empty() ? "" : folder.asTyped(reported.front());
    if (replaces) {
        // The old show goes with its context while the new one is current.
        shown = std::move(candidate);
        say("built in " + std::to_string(int((now() - started) * 1000.0)) + " ms");
    } else {
        shown->makeCurrent();
        candidate.reset();
        say("the new build is faulty; the show on screen stays");
    }
    redraw = true;
}

void Preview::moveMusic(std::optional<double> to)
{
    if (to)
        music->playFrom(*to, clock->paused());
    else
        music->setPaused(clock->paused());
}

void Preview::apply(const PreviewCommand& command)
{
    using Kind = PreviewCommand::Kind;
    double moment = now();
    switch (command.kind) {
    case Kind::Quit:
        quit = true;
        return;
    case Kind::TogglePause:
        moveMusic(clock->togglePause(moment));
        break;
    case Kind::SeekBy:
        moveMusic(clock->seekBy(command.seconds, moment));
        break;
    case Kind::StepBy:
        moveMusic(clock->stepBy(command.seconds, moment));
        break;
    case Kind::GoToStart:
        moveMusic(clock->seekTo(0.0, moment));
        break;
    case Kind::SetLoopStart:
        clock->setLoopStart();
        break;
    case Kind::SetLoopEnd:
        clock->setLoopEnd();
        break;
    case Kind::ClearLoop:
        clock->clearLoop();
        break;
    case Kind::Reload:
        reloadAsked = true;
        break;
    }
    redraw = true;
}

void Preview::handle(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        quit = true;
        break;
    case SDL_KEYDOWN:
        if (auto command = commandForKey(event.key.keysym.sym, event.key.keysym.mod, event.key.repeat != 0))
            apply(*command);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            shown->makeCurrent();
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_EXPOSED)
            redraw = true;
        break;
    default:
        break;
    }
}

void Preview::showFrame(double time)
{
    shown->draw(time);
    SDL_GL_SwapWindow(window);

    TitleFacts facts;
    facts.time = time;
    facts.paused = clock->paused();
    facts.loop = clock->loop();
    facts.fault = fault;
    if (const MyDemo* demo = shown->demo()) {
        for (size_t index = 0; index < demo->scenes.size(); ++index) {
            const cg_engine::Scene* scene = demo->scenes[index];
            if (!cg_engine::isActiveAt(scene->startTime, scene->endTime, time))
                continue;
            if (const auto* lyrics = dynamic_cast<const Lyrics*>(scene)) {
                facts.scene = "Lyrics";
                facts.entries = activeEntryNames(lyrics->lineStart, lyrics->lineEnd, lyrics->lineCount, time);
            } else if (dynamic_cast<const PhotoCompo*>(scene) != nullptr) {
                facts.scene = "PhotoCompo";
            }
            if (shown->hasSceneList())
                facts.scene = sceneTitle(facts.scene, int(index), int(demo->scenes.size()));
            break;
        }
    }
    std::string text = previewTitle(facts);
    if (text != title) {
        title = text;
        SDL_SetWindowTitle(window, title.c_str());
    }
}

void Preview::run()
{
    double nextFrame = now();
    while (!quit) {
        SDL_Event event;
        if (clock->paused() && !redraw && SDL_WaitEventTimeout(&event, kPausedWait) != 0)
            handle(event);
        while (!quit && SDL_PollEvent(&event) != 0)
            handle(event);
        if (quit)
            break;

        if (files.reloadDue(now()) || reloadAsked) {
            if (reloadAsked) {
                music->reload();
                clock->setLength(music->length().value_or(clock->length()), now());
                moveMusic(clock->time());
            }
            reloadAsked = false;
            rebuild();
        }

        if (!clock->paused()) {
            if (std::optional<double> position = music->position())
                clock->followMusic(*position, now());
        }
        bool wasPaused = clock->paused();
        PreviewClock::Frame frame = clock->frame(now());
        if (frame.musicTo || clock->paused() != wasPaused)
            moveMusic(frame.musicTo);
        if (wasPaused && !redraw)
            continue;

        showFrame(frame.time);
        redraw = false;
        // Frames at most at the show's usual 60 a second: the preview shares the machine with
        // the author's editor and tools.
        nextFrame += kFrameInterval;
        double wait = nextFrame - now();
        if (wait > 0.0)
            SDL_Delay(Uint32(wait * 1000.0));
        else
            nextFrame = now();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Standard output carries the show's shader reports; a closed reader must not end the preview.
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;

    DataFolder folder(options.data.empty() ? defaultDataFolder(kTool.name) : std::filesystem::path(options.data));
    if (!folder.failure.empty())
        return reportFailure(kTool, folder.failure);

    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return reportFailure(kTool, std::string("cannot initialise SDL: ") + SDL_GetError());
    if (!hasVisibleDisplay()) {
        SDL_Quit();
        return reportFailure(kTool, "no display to show on: set DISPLAY or WAYLAND_DISPLAY to a running graphical session");
    }
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | (options.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    SDL_Window* window = SDL_CreateWindow("Sovane05 preview", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          options.width, options.height, flags);
    if (window == nullptr) {
        SDL_Quit();
        return reportFailure(kTool, std::string("cannot create the window: ") + SDL_GetError());
    }
    if (options.fullscreen)
        SDL_ShowCursor(SDL_DISABLE);

    int status = 0;
    {
        Preview preview(window, options, folder);
        if (preview.start())
            preview.run();
        else
            status = 1;
    }
    SDL_ShowCursor(SDL_ENABLE);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}
