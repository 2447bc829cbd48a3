// Fuzzes the photo composition on one or two decoded pictures of any shape (1×N, N×1, aspect
// ratios far past any camera's) at a small output size: every print keeps its picture's aspect
// ratio and lies inside the frame, the image has its size, and no texel of a picture is read
// outside its block (AddressSanitizer). The input's first bytes give the shapes and the size;
// the rest are the pixels, repeated as needed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "rules/LayoutHeader.h"
#include "tools/lib/photo/PhotoComposition.h"

namespace {

// Larger pictures cost time, not new paths: the reduction and sampling are the same loops.
constexpr int64_t kMostPicturePixels = int64_t(1) << 18;
constexpr int kHeaderBytes = 11;

struct Input {
    const uint8_t* data;
    size_t size;
    size_t next = 0;

    unsigned byte() { return next < size ? data[next++] : 0u; }
    unsigned word() { return byte() << 16 | byte() << 8 | byte(); }
};

// A side from 1 to 2^18, the other made to fit kMostPicturePixels.
Picture pictureOf(Input& input, unsigned widthBits, unsigned heightBits)
{
    int64_t width = 1 + int64_t(widthBits % uint32_t(kMostPicturePixels));
    int64_t height = 1 + int64_t(heightBits % uint32_t(kMostPicturePixels));
    if (width * height > kMostPicturePixels) {
        if (width >= height)
            height = std::max<int64_t>(1, kMostPicturePixels / width);
        else
            width = std::max<int64_t>(1, kMostPicturePixels / height);
    }
    Picture picture{int(width), int(height), std::vector<uint8_t>(size_t(width * height) * 4)};
    size_t pixelBytes = input.size > kHeaderBytes ? input.size - kHeaderBytes : 0;
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = pixelBytes == 0 ? uint8_t(i) : input.data[kHeaderBytes + i % pixelBytes];
    return picture;
}

void checkInsideFrame(const PrintLayout& print, double aspect)
{
    if (!(print.pictureWidth > 0.0f) || !(print.pictureHeight > 0.0f) || !std::isfinite(print.border) ||
        !std::isfinite(print.bottomBorder))
        std::abort();
    if (std::fabs(double(print.pictureWidth) / double(print.pictureHeight) / aspect - 1.0) > 1e-3)
        std::abort();
    for (auto [x, y] : paperCorners(print)) {
        if (!(x > 0.0 && x < 1920.0 && y > 0.0 && y < 1080.0))
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input{data, size};
    int count = 1 + int(input.byte() & 1u);
    unsigned widths[2] = {input.word(), 0};
    unsigned heights[2] = {input.word(), 0};
    widths[1] = heights[0] >> 9 ^ widths[0];
    heights[1] = widths[0] >> 9 ^ heights[0];
    int outputWidth = 2 + int(input.byte() % 63);
    int outputHeight = 2 + int(input.byte() % 35);
    input.byte();
    input.byte();

    std::vector<Picture> pictures;
    std::vector<double> aspects;
    for (int i = 0; i < count; ++i) {
        pictures.push_back(pictureOf(input, widths[i], heights[i]));
        aspects.push_back(double(pictures.back().width) / double(pictures.back().height));
    }
    std::vector<PrintLayout> prints = layoutPrints(aspects);
    if (prints.size() != pictures.size())
        std::abort();
    for (size_t i = 0; i < prints.size(); ++i)
        checkInsideFrame(prints[i], aspects[i]);

    PhotoImage photo = composePhoto(outputWidth, outputHeight, pictures);
    if (photo.width != outputWidth || photo.height != outputHeight ||
        photo.pixels.size() != size_t(outputWidth) * size_t(outputHeight) * 4)
        std::abort();
    if (readLayoutHeader(photo.pixels.data(), photo.width, photo.height))
        std::abort();
    return 0;
}
