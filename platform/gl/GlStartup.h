// The start-up steps that every program drawing the show shares, whatever its window: asking
// SDL for the show's OpenGL 4.1 core context, loading the GL entry points with GLEW, and, for
// programs with a window on screen, making sure there is a display to show it on.
//
//   SDL_Window* window = SDL_CreateWindow(..., SDL_WINDOW_OPENGL);
//   requestShowContext();
//   if (SDL_GL_CreateContext(window) == nullptr) ...
//   std::string failure = loadGlEntryPoints();   // "" when GL 4.1 is there
//   requestSwapInterval();                        // the show's window only
#pragma once

#include <string>

// Sets the three context attributes (4.1, core profile) and nothing else, so the frame buffer's
// format stays SDL's default. Call after the window exists and before the context is created.
void requestShowContext();

// False when SDL's video runs on a driver that shows nothing (offscreen or dummy) that nobody
// asked for by name: with no display SDL falls back to one, and a window would be invisible.
// Call after SDL's video is initialised.
bool hasVisibleDisplay();

// glewExperimental, then glewInit with the new context current. Returns "" when the GL 4.1
// entry points loaded, otherwise GLEW's reason.
std::string loadGlEntryPoints();

// chooseSwapInterval (rules/FramePacing.h) with SDL_GL_SetSwapInterval on the current context, silently. Without it
// a driver whose default is no sync (macOS, or one set to "off") spins the frame loop at full
// load and tears.
void requestSwapInterval();
