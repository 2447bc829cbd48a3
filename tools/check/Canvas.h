// An RGBA picture in memory for the checker's drawings: filled rectangles blended over it,
// images scaled by area averaging and laid over it, clipped to its edges.
#pragma once

#include <cstdint>
#include <vector>

struct Pixel {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Pixel&) const = default;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, Pixel fill = {0, 0, 0, 0});

    Pixel at(int x, int y) const;
    void set(int x, int y, Pixel pixel);
    // Blends `pixel` over [left, right) × [top, bottom), with its alpha; clipped to the canvas.
    void fill(int left, int top, int right, int bottom, Pixel pixel);
    // Lays `image` over the canvas with its top-left corner at (left, top), columns from
    // `clipRight` on left out.
    void draw(const Canvas& image, int left, int top, int clipRight);

    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom
};

// `source` resampled to the given size, each target pixel the alpha-weighted mean of the area
// it covers, so thin strokes fade instead of vanishing.
Canvas scaled(const Canvas& source, int width, int height);
