// An OpenGL 4.1 core context with no display and no window on screen: SDL's offscreen video
// driver (EGL on Mesa), made current on the calling thread. The tools, the GL tests and the
// benchmarks draw the show through it into frame buffers of their own (RenderTarget.h).
//
//   OffscreenContext context = createOffscreenContext(64, 64);
//   if (!context.failure.empty()) { report(context.failure); return 1; }
#pragma once

#include <string>

struct SDL_Window;

struct OffscreenContext {
    SDL_Window* window = nullptr;
    void* context = nullptr;  // SDL_GLContext
    std::string failure;      // why there is no context, or ""
};

// Selects the offscreen driver itself, initialises SDL's video and makes the show's context
// current on a hidden window of the given size. GLEW's "no GLX display" there is expected.
OffscreenContext createOffscreenContext(int width, int height);
