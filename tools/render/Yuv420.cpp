// RGBA to planar YUV 4:2:0.
#include "tools/render/Yuv420.h"

namespace {

// BT.601 in 8-bit fixed point (coefficients × 256), luma 16…235 and chroma 16…240.
inline uint8_t luma(int r, int g, int b)
{
    return uint8_t(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}

// From the sums of four pixels' channels, so the mean costs no division.
inline uint8_t blueDifference(int r4, int g4, int b4)
{
    return uint8_t(((-38 * r4 - 74 * g4 + 112 * b4 + 512) >> 10) + 128);
}

inline uint8_t redDifference(int r4, int g4, int b4)
{
    return uint8_t(((112 * r4 - 94 * g4 - 18 * b4 + 512) >> 10) + 128);
}

}  // namespace

void rgbaToYuv420(std::span<const uint8_t> rgbaBottomFirst, int width, int height, std::span<uint8_t> yuv)
{
    size_t rowBytes = size_t(width) * 4;
    uint8_t* lumaPlane = yuv.data();
    uint8_t* blue = lumaPlane + size_t(width) * size_t(height);
    uint8_t* red = blue + size_t(width / 2) * size_t(height / 2);
    for (int y = 0; y < height; y += 2) {
        const uint8_t* upper = rgbaBottomFirst.data() + size_t(height - 1 - y) * rowBytes;
        const uint8_t* lower = upper - rowBytes;
        uint8_t* upperLuma = lumaPlane + size_t(y) * size_t(width);
        uint8_t* lowerLuma = upperLuma + width;
        uint8_t* blueRow = blue + size_t(y / 2) * size_t(width / 2);
        uint8_t* redRow = red + size_t(y / 2) * size_t(width / 2);
        for (int x = 0; x < width / 2; ++x) {
            const uint8_t* a = upper + size_t(x) * 8;
            const uint8_t* b = lower + size_t(x) * 8;
            upperLuma[2 * x] = luma(a[0], a[1], a[2]);
            upperLuma[2 * x + 1] = luma(a[4], a[5], a[6]);
            lowerLuma[2 * x] = luma(b[0], b[1], b[2]);
            lowerLuma[2 * x + 1] = luma(b[4], b[5], b[6]);
            int r4 = a[0] + a[4] + b[0] + b[4];
            int g4 = a[1] + a[5] + b[1] + b[5];
            int b4 = a[2] + a[6] + b[2] + b[6];
            blueRow[x] = blueDifference(r4, g4, b4);
            redRow[x] = redDifference(r4, g4, b4);
        }
    }
}
