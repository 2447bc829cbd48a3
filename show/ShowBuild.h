// The show built and drawn the way sovane05 builds and draws it, for the tools and the web page,
// which choose the moment themselves instead of following a tick counter: MyDemo, the show's
// global GL state, initialise(), and one moment drawn through the per-frame dispatch.
//
//   BuiltShow show = buildShow(1920, 1080);     // with a context current and data/ in reach
//   if (!show.failure.empty()) ...
//   target.bind();
//   drawShowMoment(*show.demo, 12.34);
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "show/MyDemo.h"

struct BuiltShow {
    std::unique_ptr<MyDemo> demo;  // null when the show could not be built
    std::string failure;           // what initialise() threw, or ""
    // The scenes initialise() had appended before it threw, for a caller that frees what it
    // builds; the show itself never frees a scene.
    std::vector<cg_engine::Scene*> abandonedScenes;
};

// Creates MyDemo for a window of that size, sets the show's global GL state, calls
// initialise(), which reads data/ relative to the working folder, and warms the show up in the
// bound frame buffer (show/ShowWarmUp.h). The loaders report on standard error and standard
// output exactly as in the show.
BuiltShow buildShow(int width, int height);

// True when some scene of the show draws at `time`.
bool anySceneActiveAt(const cg_engine::Demo& demo, double time);

// Draws the moment `time` into the bound frame buffer as the frame loop does. The frame loop
// leaves a moment no scene holds as the window had it. Here, after the last scene's window it
// shows what the window keeps, that window's last moment (cg_engine::shownMoment); any other
// moment no scene holds is cleared to the show's clear colour, so every moment stands on its own.
void drawShowMoment(cg_engine::Demo& demo, double time);
