// Turning a show's GLSL source, written for the OpenGL 4.1 core context, into the language of
// WebGL 2 (GLSL ES 3.00) as it is loaded, or saying why it cannot be. No GL here: the unit tests
// and the page's loader call it alike.
//
// A source of GLSL 3.30 to 4.60 core gets "#version 300 es" and high precision for floats,
// ints and every sampler type, then a #line that keeps each of its lines at its own number, so
// that a compile error names the line of the file. A source already in GLSL ES 3.00 is taken
// as it is. Anything else is refused: no #version first, an older or newer version, the
// compatibility profile, and the few words of desktop GLSL that GLSL ES has no form of
// (double precision, one-dimensional, rectangle, buffer and multisample samplers, subroutines).
#pragma once

#include <string>
#include <string_view>

struct AdaptedShader {
    std::string text;     // the source to hand to WebGL 2; empty when refused
    std::string refusal;  // "line 3: ..." naming why it was refused, or ""
};

AdaptedShader adaptShaderForWebGl(std::string_view source);
