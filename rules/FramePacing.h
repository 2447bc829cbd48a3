// What keeps the show's frames evenly paced, as decisions without GL: which textures the
// start-up warm-up draws (show/ShowWarmUp.h), and which swap interval the show asks the driver
// for (platform/gl/GlStartup.h).
#pragma once

#include <functional>
#include <vector>

// A texture's level 0 as the warm-up sees it; 0 × 0 when it has no image.
struct TextureShape {
    int width = 0;
    int height = 0;
};

// The indices of the first texture of each kind among `shapes`, in order. The kinds: no image;
// else whether the width, and whether the height, is a power of two.
std::vector<int> oneTextureOfEachKind(const std::vector<TextureShape>& shapes);

// The swap intervals asked for, in order, until the driver takes one: adaptive sync (a late
// frame is shown at once instead of waiting a whole refresh), then sync to every refresh. When
// it takes neither, its default stays. Returns the interval taken, or 0 for the default.
int chooseSwapInterval(const std::function<bool(int)>& setInterval);
