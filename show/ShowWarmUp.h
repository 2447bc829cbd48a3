// Drawing every program of the show once with each kind of texture it will meet, at the end of
// start-up. A driver builds the variant of a program that a draw needs at its first use (Mesa's
// llvmpipe keys them, among others, on whether a texture's sides are powers of two) and looks
// it up in its shader cache on disk first: inside the frame loop that is a visible hitch where
// a new line first shows. The show and the programs that draw it off-screen both call it.
//
//   demo->initialise();
//   warmUpShow(*demo);          // into the bound frame buffer, left cleared
#pragma once

#include <vector>

#include "engine/Demo.h"

// A texture's level 0 as the warm-up sees it; 0 × 0 when it has no image.
struct TextureShape {
    int width = 0;
    int height = 0;
};

// The indices of the first texture of each kind among `shapes`, in order. The kinds: no image;
// else whether the width, and whether the height, is a power of two.
std::vector<int> oneTextureOfEachKind(const std::vector<TextureShape>& shapes);

// Draws, for every scene of `demo` it knows (Lyrics, PhotoCompo), the background once and one
// image of each kind, with the scene's programs, quad and depths, into the bound frame buffer,
// then clears its colour and depth: a first frame that no scene draws still shows black.
void warmUpShow(cg_engine::Demo& demo);
