// RGBA images for tests: pixel access, tolerant comparison that leaves the actual, expected and
// difference images behind on failure, and PNG reading and writing.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgba& colour);

struct Image {
    Image() = default;
    Image(int width, int height, Rgba fill = {});

    Rgba at(int x, int y) const;
    void set(int x, int y, Rgba colour);
    void flipRows();

    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // RGBA, rows top to bottom
};

// True when every channel of `actual` is within `tolerance` of `expected`.
::testing::AssertionResult colourNear(Rgba actual, Rgba expected, int tolerance);

// Compares two images of one size channel by channel: the largest difference must not exceed
// `maxTolerance` and the mean difference not `meanTolerance`. On failure, writes
// <name>-actual.png, <name>-expected.png and <name>-difference.png to the test output folder
// and names them in the message.
::testing::AssertionResult imagesMatch(const Image& actual, const Image& expected, int maxTolerance,
                                       double meanTolerance, const std::string& name);

// Writes the image to the test output folder and returns the path.
std::string saveTestImage(const Image& image, const std::string& name);

// Reads any image stb_image decodes, expanded to RGBA; an empty image when it cannot.
Image loadImage(const std::string& path);
