// The photo scene's picture as the show draws it: only the rectangle of the composition that
// shows anything, behind a header row that places it in the composition's frame, stretched
// over the screen (rules/LayoutHeader.h, version 2). The show's quad then covers that
// rectangle alone instead of the whole screen, and draws the same pixels.
//
//   PhotoImage photo = placedPhoto(composePhoto(1920, 1080));
//   writePng(path, photo.width, photo.height, 4, photo.pixels.data());
#pragma once

#include "tools/lib/photo/PhotoComposition.h"

// Fully transparent texels kept around what shows, so that the show's filter, at any scale,
// meets the same neighbours at the rectangle's edge as in the whole composition.
inline constexpr int kPlacedPhotoMargin = 2;

// The composition's bounding rectangle of texels with any alpha, widened by the margin within
// the frame, below a header row; a composition that shows nothing keeps a 3×1 transparent
// rectangle at the top-left corner. One narrower than the header's three texels is returned
// as it is, to be stretched whole.
PhotoImage placedPhoto(const PhotoImage& composition);
