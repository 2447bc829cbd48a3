// The two kinds of layer the scenes draw, each one draw of the scene's quad with its program
// made current first: the animated background, and an image at a depth. Uniform locations are
// looked up by name at every draw.
#pragma once

#include "resources/ShaderProgram.h"
#include "show/ScreenQuad.h"

// "zscore" and the show time as the single-precision "time".
void drawBackground(ShaderProgram& program, const ScreenQuad& quad, float zscore, double time);

// "zscore" and the image on texture unit 0 as "img". An image the loader could not read draws
// nothing at all, so what lies below shows.
void drawImage(ShaderProgram& program, const ScreenQuad& quad, float zscore, TextureName image);
