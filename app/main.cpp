// The whole life of the show's process: start-up (window, GL 4.1 core context, GLEW, audio,
// music, the show object and its resources), the frame loop that is the show's clock, and an
// orderly shut-down. Every start-up failure is reported on standard error as one line.
#include <GL/glew.h>
#include <SDL.h>
#include <SDL_mixer.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "engine/SceneDispatch.h"
#include "engine/ShowClock.h"
#include "platform/gl/GlStartup.h"
#include "rules/InputFile.h"
#include "rules/ShowFiles.h"
#include "show/MyDemo.h"
#include "show/ShowGlState.h"
#include "show/ShowWarmUp.h"

namespace {

// Set by SIGINT and SIGTERM. SDL would turn them into a quit event, which the show cannot tell
// from a request to close the window and ignores; so the show catches them itself and ends as
// on Escape, with an orderly shut-down.
volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int signal)
{
    stopSignal = signal;
}

void catchStopSignals()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The flag is read once a frame; a call under way when a signal comes (the swap, a file read
    // during loading) resumes where the C library resumes it, as glibc does.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
}

void report(const char* what, const char* reason)
{
    std::fprintf(stderr, "sovane05: %s: %s\n", what, reason);
}

void shutDown(SDL_Window* window, Mix_Music* music)
{
    SDL_ShowCursor(SDL_ENABLE);
    if (window != nullptr)
        SDL_DestroyWindow(window);
    Mix_FreeMusic(music);
    Mix_Quit();
    SDL_Quit();
}

// Runs until Escape, SIGINT or SIGTERM, or the end of the music. The frame in which either
// happens is still drawn and presented, because the done flag is tested only after the swap.
void runFrames(SDL_Window* window, cg_engine::Demo& demo, double startTick)
{
    bool done = false;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
                done = true;
        }
        if (stopSignal != 0)
            done = true;
        if (Mix_PlayingMusic() == 0)
            done = true;
        cg_engine::renderActiveScenes(demo, cg_engine::showTime(SDL_GetTicks(), startTick));
        SDL_GL_SwapWindow(window);
        if (done)
            return;
    }
}

}  // namespace

int SDL_main(int, char*[])
{
    // Standard output carries the shader reports; a closed reader must not kill the show.
    // Systems without SIGPIPE report a closed pipe as a write error anyway.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    catchStopSignals();

    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) != 0) {
        report("cannot initialise SDL", SDL_GetError());
        return 1;
    }
    if (!hasVisibleDisplay()) {
        report("no display to show on", "set DISPLAY or WAYLAND_DISPLAY to a running graphical session");
        shutDown(nullptr, nullptr);
        return 1;
    }

    SDL_Window* window = SDL_CreateWindow("Sovane05", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          0, 0, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
    if (window == nullptr) {
        report("cannot create the window", SDL_GetError());
        shutDown(nullptr, nullptr);
        return 1;
    }
    SDL_ShowCursor(SDL_DISABLE);

    requestShowContext();
    if (SDL_GL_CreateContext(window) == nullptr) {
        report("cannot create an OpenGL 4.1 core context", SDL_GetError());
        shutDown(window, nullptr);
        return 1;
    }
    requestSwapInterval();

    std::string glFailure = loadGlEntryPoints();
    if (!glFailure.empty()) {
        report("cannot load the OpenGL entry points", glFailure.c_str());
        shutDown(window, nullptr);
        return 1;
    }

    // Without sound the show still draws one frame and ends in order, but as a failure.
    bool audioOpen = Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) == 0;
    if (!audioOpen)
        report("cannot open the audio device", Mix_GetError());
    // The path is checked before SDL_mixer opens it: a FIFO there would hold the show in the
    // kernel's open, deaf to every signal, and a folder would read as a corrupt file.
    InputCheck musicCheck = checkInputFile(kShowMusicPath);
    Mix_Music* music = musicCheck.failure.empty() ? Mix_LoadMUS(kShowMusicPath) : nullptr;
    if (music == nullptr && audioOpen) {
        std::fprintf(stderr, "sovane05: %s: cannot load the music: %s\n", kShowMusicPath,
                     musicCheck.failure.empty() ? Mix_GetError() : musicCheck.failure.c_str());
    }

    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    cg_engine::Demo* demo = new MyDemo(width, height);

    setShowGlState();

    try {
        demo->initialise();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sovane05: %s\n", error.what());
        shutDown(window, music);
        return 1;
    } catch (...) {
        std::fprintf(stderr, "sovane05: the show could not be built\n");
        shutDown(window, music);
        return 1;
    }
    // Before the clock starts, so the frame loop never waits for the driver to build a program.
    warmUpShow(*demo);

    Mix_PlayMusic(music, 1);
    double startTick = SDL_GetTicks();

    runFrames(window, *demo, startTick);

    shutDown(window, music);
    return audioOpen && music != nullptr ? 0 : 1;
}

#if !defined(SDL_MAIN_NEEDED) && !defined(SDL_MAIN_AVAILABLE)
// Where SDL2main supplies no process entry (Linux, BSD), this is it.
int main(int argc, char* argv[])
{
    return SDL_main(argc, argv);
}
#endif
