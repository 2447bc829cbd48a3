// A scene is a timed segment of the show that draws its whole picture for a given moment.
#pragma once

namespace cg_engine {

class Scene {
public:
    // Seconds of show time; the scene is active strictly between the two.
    double startTime = 0.0;
    double endTime = 0.0;

    // Draws the frame for show time `time` (seconds since the music started).
    virtual void render(double time) = 0;
};

}  // namespace cg_engine
