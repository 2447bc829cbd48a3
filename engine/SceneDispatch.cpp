// Per-frame dispatch over the show's scene list.
#include "engine/SceneDispatch.h"

#include <cmath>
#include <cstddef>

#include "engine/Demo.h"
#include "engine/Scene.h"
#include "engine/ShowClock.h"

namespace cg_engine {

void renderActiveScenes(Demo& demo, double time)
{
    for (std::size_t i = 0; i < demo.scenes.size(); ++i) {
        Scene* scene = demo.scenes[i];
        if (isActiveAt(scene->startTime, scene->endTime, time))
            scene->render(time);
    }
}

double shownMoment(const Demo& demo, double time)
{
    double lastEnd = -INFINITY;
    for (const Scene* scene : demo.scenes) {
        if (scene->startTime < scene->endTime)
            lastEnd = std::fmax(lastEnd, scene->endTime);
    }
    if (std::isinf(lastEnd) || time < lastEnd)
        return time;
    return std::nextafter(lastEnd, -INFINITY);
}

}  // namespace cg_engine
