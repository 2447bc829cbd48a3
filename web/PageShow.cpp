// The show's start-up and drawing in the web page, in place of the show's window and tick
// counter: the page's script puts the show's files into this program's file system, opens the
// WebGL 2 context on its canvas through here, has the show built by MyDemo, and on each frame
// hands over the show time it read from the playing music. What is drawn, and how, is the
// show's own scenes and per-frame dispatch.
#include <GL/glew.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <string>

#include "engine/SceneDispatch.h"
#include "show/ShowBuild.h"

namespace {

cg_engine::Demo* demo = nullptr;
std::string failure;

}  // namespace

extern "C" {

// Creates the WebGL 2 context on the canvas "#show" at its present size and makes it current
// for the rest of the page's life. Returns 0, or 1 when the browser gives no WebGL 2.
EMSCRIPTEN_KEEPALIVE int sovane05OpenContext()
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // As the show's window: opaque (the show's alpha only steers blending), a depth buffer, no
    // stencil and no multisampling.
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#show", &attributes);
    if (context <= 0)
        return 1;
    emscripten_webgl_make_context_current(context);
    return 0;
}

// Builds the show from data/ in the file system, for a canvas of that size. Returns 0, or 1
// with the reason in sovane05Failure(). The loaders' reports go to the console as in the show.
EMSCRIPTEN_KEEPALIVE int sovane05Build(int width, int height)
{
    BuiltShow built = buildShow(width, height);
    if (!built.failure.empty()) {
        failure = built.failure;
        return 1;
    }
    // The page keeps its show for as long as it is open.
    demo = built.demo.release();
    return 0;
}

EMSCRIPTEN_KEEPALIVE const char* sovane05Failure()
{
    return failure.c_str();
}

// One frame while the music plays, as the show's frame loop draws it: the scenes whose window
// holds `time`, and nothing else, so a moment no scene holds keeps the last picture.
EMSCRIPTEN_KEEPALIVE void sovane05Draw(double time)
{
    cg_engine::renderActiveScenes(*demo, time);
}

// A still: the moment on its own, as the renderer draws it.
EMSCRIPTEN_KEEPALIVE void sovane05DrawStill(double time)
{
    drawShowMoment(*demo, time);
}

// The canvas's drawing buffer was resized: a context's viewport keeps the size it was made
// with, where the show's window never changes size.
EMSCRIPTEN_KEEPALIVE void sovane05Resize(int width, int height)
{
    glViewport(0, 0, width, height);
}

}  // extern "C"
