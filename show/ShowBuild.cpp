// Building the show and drawing one moment of it.
#include "show/ShowBuild.h"

#include <GL/glew.h>

#include <exception>
#include <utility>

#include "engine/Scene.h"
#include "engine/SceneDispatch.h"
#include "engine/ShowClock.h"
#include "show/ShowGlState.h"
#include "show/ShowWarmUp.h"

BuiltShow buildShow(int width, int height)
{
    BuiltShow built;
    built.demo = std::make_unique<MyDemo>(width, height);
    setShowGlState();
    try {
        built.demo->initialise();
    } catch (const std::exception& error) {
        built.failure = error.what();
    } catch (...) {
        built.failure = "the show could not be built";
    }
    if (!built.failure.empty()) {
        built.abandonedScenes = std::move(built.demo->scenes);
        built.demo.reset();
    } else {
        warmUpShow(*built.demo);
    }
    return built;
}

bool anySceneActiveAt(const cg_engine::Demo& demo, double time)
{
    for (const cg_engine::Scene* scene : demo.scenes) {
        if (cg_engine::isActiveAt(scene->startTime, scene->endTime, time))
            return true;
    }
    return false;
}

void drawShowMoment(cg_engine::Demo& demo, double time)
{
    double shown = cg_engine::shownMoment(demo, time);
    if (!anySceneActiveAt(demo, shown))
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    cg_engine::renderActiveScenes(demo, shown);
}
