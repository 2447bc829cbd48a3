// The photo scene's picture, made from nothing but arithmetic: two prints of a summer
// landscape (golden fields, a river, hills and a house with yellow windows under a low sun),
// one at dusk behind the other, tilted on transparency with soft shadows, so the animated
// background shows all around them. Deterministic: the same pixels on every run.
#pragma once

#include <cstdint>
#include <vector>

struct PhotoImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // RGBA, unpremultiplied, rows top to bottom
};

// Lighting of the landscape: 0 for late afternoon, 1 for dusk.
struct Landscape {
    float dusk = 0.0f;
};

// The linear RGB of the landscape at (u, v) in 0…1 across the picture, v down. `pixel` is the
// size of one output pixel in those units, for anti-aliased edges.
void landscapeColour(const Landscape& landscape, float u, float v, float pixel, float rgb[3]);

// The whole composition at the given size (the show's is 1920×1080).
PhotoImage composePhoto(int width, int height);
