// Drawing every program of the show once with each kind of texture it will meet, at the end of
// start-up. A driver builds the variant of a program that a draw needs at its first use (Mesa's
// llvmpipe keys them, among others, on whether a texture's sides are powers of two) and looks
// it up in its shader cache on disk first: inside the frame loop that is a visible hitch where
// a new line first shows. The show and the programs that draw it off-screen both call it.
//
//   demo->initialise();
//   warmUpShow(*demo);          // into the bound frame buffer, left cleared
#pragma once

#include "engine/Demo.h"
#include "rules/FramePacing.h"

// Draws, for every scene of `demo` it knows (Lyrics, PhotoCompo), the background once and one
// image of each kind, with the scene's programs, quad and depths, into the bound frame buffer,
// then clears its colour and depth: a first frame that no scene draws still shows black.
void warmUpShow(cg_engine::Demo& demo);
