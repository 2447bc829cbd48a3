// The floor of a frame: the same number of layers as the show draws at a moment, each over the
// whole screen with a pass-through program, under the show's global GL state: one solid colour
// layer for the background and one full-screen texture layer per image, at the show's depths.
//
//   FloorLayers floor;                    // with a context current
//   floor.draw({lineTexture, photo});     // clear, background, then the two images
#pragma once

#include <GL/glew.h>

#include <vector>

class FloorLayers {
public:
    FloorLayers();
    ~FloorLayers();
    FloorLayers(const FloorLayers&) = delete;
    FloorLayers& operator=(const FloorLayers&) = delete;

    // Clears colour and depth, then draws the solid layer and each image stretched over the
    // bound frame buffer.
    void draw(const std::vector<GLuint>& images) const;

private:
    GLuint solid = 0;
    GLuint textured = 0;
    GLuint vertexArray = 0;
    GLuint buffer = 0;
};
