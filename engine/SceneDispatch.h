// Per-frame dispatch: which scenes of a show draw at a moment, and in what order.
#pragma once

namespace cg_engine {

class Demo;

// Calls render(time) on every scene of `demo` whose window holds `time`, in list order with
// the same time for each. The list's length is read afresh before each step.
void renderActiveScenes(Demo& demo, double time);

}  // namespace cg_engine
