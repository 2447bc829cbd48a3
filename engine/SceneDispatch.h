// Per-frame dispatch: which scenes of a show draw at a moment, and in what order.
#pragma once

namespace cg_engine {

class Demo;

// Calls render(time) on every scene of `demo` whose window holds `time`, in list order with
// the same time for each. The list's length is read afresh before each step.
void renderActiveScenes(Demo& demo, double time);

// The moment a window shows at `time`, for programs that draw chosen moments: `time` itself,
// except from the end of the last scene's window on (music that outlasts the scenes), where no
// scene draws and the live window keeps the last frame drawn: then the last moment of that
// window, just before its end. `time` when no scene ever draws.
double shownMoment(const Demo& demo, double time);

}  // namespace cg_engine
