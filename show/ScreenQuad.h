// The full-screen quad every layer is drawn on: four clip-space corners drawn as a triangle
// fan, positions at attribute 0 and texture coordinates at attribute 1, with t = 0 at the top
// of the screen so that images (uploaded top row first) appear upright.
//
//   ScreenQuad* quad = createScreenQuad();   // leaves its vertex array bound
//   program->use();  ...set uniforms...
//   drawScreenQuad(*quad);
#pragma once

#include <cstdint>

class ScreenQuad {
public:
    uint32_t vertexArray = 0;
    // Adjacent, filled by one request for two buffer names.
    uint32_t positionBuffer = 0;
    uint32_t texCoordBuffer = 0;
};

// Creates the vertex array and its two buffers; the vertex array stays bound.
ScreenQuad* createScreenQuad();

// Binds the quad's vertex array and draws it with the program in use.
void drawScreenQuad(const ScreenQuad& quad);
