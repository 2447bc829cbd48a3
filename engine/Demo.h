// A show: the window size it was made for and its ordered list of scenes, built once by
// initialise() before the music starts.
#pragma once

#include <cstdint>
#include <vector>

namespace cg_engine {

class Scene;

class Demo {
public:
    Demo(int32_t windowWidth, int32_t windowHeight) : width(windowWidth), height(windowHeight) {}

    int32_t width = 0;
    int32_t height = 0;
    std::vector<Scene*> scenes;

    // Loads the resources and appends the scenes, in the order they are tested and drawn.
    virtual void initialise() = 0;
};

}  // namespace cg_engine
