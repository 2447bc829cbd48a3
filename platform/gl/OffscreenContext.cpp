// The off-screen context shared by the tools, the GL tests and the benchmarks.
#include "platform/gl/OffscreenContext.h"

#include <SDL.h>

#include "platform/gl/GlStartup.h"

OffscreenContext createOffscreenContext(int width, int height)
{
    OffscreenContext result;
    // Overrides SDL_VIDEODRIVER from the environment: the tools never open a visible window.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        result.failure = std::string("cannot initialise SDL's offscreen video: ") + SDL_GetError();
        return result;
    }
    result.window = SDL_CreateWindow("sovane05-offscreen", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (result.window == nullptr) {
        result.failure = std::string("cannot create an offscreen window: ") + SDL_GetError();
        return result;
    }
    requestShowContext();
    result.context = SDL_GL_CreateContext(result.window);
    if (result.context == nullptr) {
        result.failure = std::string("cannot create an OpenGL 4.1 core context: ") + SDL_GetError();
        return result;
    }
    std::string glFailure = loadGlEntryPoints();
    if (!glFailure.empty())
        result.failure = "cannot load the OpenGL entry points: " + glFailure;
    return result;
}
