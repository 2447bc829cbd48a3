// Test images: comparison with tolerance and files a person can look at.
#include "tests/support/Image.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "tools/lib/base/PngWrite.h"

std::ostream& operator<<(std::ostream& out, const Rgba& colour)
{
    return out << "rgba(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ", "
               << int(colour.a) << ")";
}

Image::Image(int imageWidth, int imageHeight, Rgba fill)
    : width(imageWidth), height(imageHeight), pixels(size_t(imageWidth) * imageHeight * 4)
{
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = fill.r;
        pixels[i + 1] = fill.g;
        pixels[i + 2] = fill.b;
        pixels[i + 3] = fill.a;
    }
}

Rgba Image::at(int x, int y) const
{
    const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Image::set(int x, int y, Rgba colour)
{
    uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = colour.a;
}

void Image::flipRows()
{
    size_t row = size_t(width) * 4;
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(pixels.begin() + y * row, pixels.begin() + (y + 1) * row,
                         pixels.begin() + (height - 1 - y) * row);
}

::testing::AssertionResult colourNear(Rgba actual, Rgba expected, int tolerance)
{
    auto near = [tolerance](uint8_t a, uint8_t b) { return std::abs(int(a) - int(b)) <= tolerance; };
    if (near(actual.r, expected.r) && near(actual.g, expected.g) && near(actual.b, expected.b) &&
        near(actual.a, expected.a))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

std::string saveTestImage(const Image& image, const std::string& name)
{
    std::filesystem::create_directories(SOVANE05_TEST_OUTPUT_DIR);
    std::string path = std::string(SOVANE05_TEST_OUTPUT_DIR) + "/" + name + ".png";
    writePng(path, image.width, image.height, 4, image.pixels.data());
    return path;
}

::testing::AssertionResult imagesMatch(const Image& actual, const Image& expected, int maxTolerance,
                                       double meanTolerance, const std::string& name)
{
    if (actual.width != expected.width || actual.height != expected.height) {
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", expected "
                                             << expected.width << "x" << expected.height << " (saved "
                                             << saveTestImage(actual, name + "-actual") << ")";
    }
    Image difference(actual.width, actual.height);
    int largest = 0;
    double total = 0.0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        int d = std::abs(int(actual.pixels[i]) - int(expected.pixels[i]));
        largest = std::max(largest, d);
        total += d;
        // Differences are drawn opaque so they show in any viewer.
        difference.pixels[i] = (i % 4 == 3) ? 255 : uint8_t(std::min(255, d * 4));
    }
    double mean = actual.pixels.empty() ? 0.0 : total / double(actual.pixels.size());
    if (largest <= maxTolerance && mean <= meanTolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << name << ": largest difference " << largest << " (tolerance " << maxTolerance << "), mean " << mean
           << " (tolerance " << meanTolerance << "); see " << saveTestImage(actual, name + "-actual") << ", "
           << saveTestImage(expected, name + "-expected") << ", " << saveTestImage(difference, name + "-difference");
}

Image loadImage(const std::string& path)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr)
        return {};
    Image image(width, height);
    std::copy(pixels, pixels + size_t(width) * height * 4, image.pixels.begin());
    stbi_image_free(pixels);
    return image;
}
