// The few places where the show's OpenGL 4.1 core context and WebGL 2 take different calls for
// the same effect, behind one thin layer that the loaders and the show's start-up call. The
// show's own build links the desktop side (GlDialectDesktop.cpp), which makes exactly the calls
// the show always made; the page's build links web/WebGlDialect.cpp instead. Everything else
// the show calls means the same in both.
#pragma once

#include <cstdint>
#include <string>

struct ShaderSourceForContext {
    std::string text;     // what to hand to glShaderSource
    std::string refusal;  // why the source cannot run in this context, reported as its compile log; or ""
};

// A shader file's text as this context takes it: as written on the desktop, adapted to GLSL
// ES 3.00 for WebGL 2.
ShaderSourceForContext shaderSourceForContext(std::string source);

// Level 0 of the bound 2D texture `texture`: `channels` (3 or 4) bytes a pixel, rows tightly
// packed, into an RGBA texture; three channels read with alpha 1. Returns "", or why the
// context cannot take the image, which is then not uploaded: a browser's WebGL may take smaller
// textures than every desktop context does.
std::string uploadTextureImage(uint32_t texture, int width, int height, int channels, const unsigned char* pixels);

// The size of `texture`'s level 0, 0 × 0 when it has no image. Leaves it bound.
void readTextureSize(uint32_t texture, int& width, int& height);

// Points drawn take their size from the vertex shader, as the show's state asks. WebGL 2
// always does.
void enableProgramPointSize();
