// The photo scene's picture: tilted prints on transparency with soft shadows, so the animated
// background shows all around them. The stock one is made from nothing but arithmetic: two
// prints of a summer landscape (golden fields, a river, hills and a house with yellow windows
// under a low sun), one at dusk behind the other. A user's one or two pictures are laid out the
// same way, each with its own aspect ratio. Deterministic: the same pixels on every run.
#pragma once

#include <array>
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

// A picture of the user's, decoded: an image of the same form.
using Picture = PhotoImage;

// One print in the 1920×1080 reference frame: the paper's centre, the picture's size, the paper
// around it (wider below) and the tilt in degrees.
struct PrintLayout {
    float centreX = 0.0f;
    float centreY = 0.0f;
    float pictureWidth = 0.0f;
    float pictureHeight = 0.0f;
    float border = 0.0f;
    float bottomBorder = 0.0f;
    float degrees = 0.0f;
};

// The four corners of a print's paper, tilted, in the 1920×1080 reference frame: {x, y} each.
std::array<std::array<double, 2>, 4> paperCorners(const PrintLayout& print);

// The prints for pictures of these aspect ratios (width / height), back to front: one picture
// is one print across the middle; two are placed like the stock pair, the first behind. Each
// picture is as large as its place allows with its own aspect ratio.
std::vector<PrintLayout> layoutPrints(const std::vector<double>& aspects);

// The whole stock composition at the given size (the show's is 1920×1080).
PhotoImage composePhoto(int width, int height);

// One or two of the user's pictures as prints, at the given size.
PhotoImage composePhoto(int width, int height, const std::vector<Picture>& pictures);
