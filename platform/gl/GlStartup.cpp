// Shared start-up steps: the context request, the display check, GLEW and the swap interval.
#include "platform/gl/GlStartup.h"

#include <GL/glew.h>
#include <SDL.h>

#include <cstring>

#include "rules/FramePacing.h"

void requestShowContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

bool hasVisibleDisplay()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr)
        return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)
        return true;
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    return requested != nullptr && std::strcmp(requested, driver) == 0;
}

std::string loadGlEntryPoints()
{
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    if (result == GLEW_OK)
        return "";
#ifdef GLEW_ERROR_NO_GLX_DISPLAY
    // Under EGL (no GLX display) GLEW 2.2 reports GLEW_ERROR_NO_GLX_DISPLAY although it has
    // loaded every GL entry point; only the GLX extensions are missing, and the show needs none.
    if (result == GLEW_ERROR_NO_GLX_DISPLAY && GLEW_VERSION_4_1)
        return "";
#endif
    return reinterpret_cast<const char*>(glewGetErrorString(result));
}

void requestSwapInterval()
{
    chooseSwapInterval([](int interval) { return SDL_GL_SetSwapInterval(interval) == 0; });
}
