// Encoding and decoding of the images' header row.
#include "rules/LayoutHeader.h"

#include <algorithm>

namespace {

bool fitsTwoBytes(int value)
{
    return value >= 0 && value <= 0xFFFF;
}

void writeTwoNumbers(uint8_t* texel, int first, int second)
{
    texel[0] = uint8_t(first >> 8);
    texel[1] = uint8_t(first & 255);
    texel[2] = uint8_t(second >> 8);
    texel[3] = uint8_t(second & 255);
}

}  // namespace

bool writeLayoutHeader(uint8_t* firstRow, int width, TextPlacement placement)
{
    if (width < (placement.stretched ? 3 : 2) || !fitsTwoBytes(placement.left) || !fitsTwoBytes(placement.top))
        return false;
    if (placement.stretched && (placement.frameWidth < 1 || placement.frameHeight < 1 ||
                                !fitsTwoBytes(placement.frameWidth) || !fitsTwoBytes(placement.frameHeight)))
        return false;
    std::fill(firstRow, firstRow + width * 4, uint8_t(0));
    std::copy(kHeaderMarker, kHeaderMarker + 4, firstRow);
    writeTwoNumbers(firstRow + 4, placement.left, placement.top);
    if (placement.stretched) {
        firstRow[2] = kStretchedVersion;
        writeTwoNumbers(firstRow + 8, placement.frameWidth, placement.frameHeight);
    }
    return true;
}

std::optional<TextPlacement> readLayoutHeader(const uint8_t* rgba, int width, int height)
{
    if (width < 2 || height < 2 || rgba[0] != kHeaderMarker[0] || rgba[1] != kHeaderMarker[1] ||
        rgba[3] != kHeaderMarker[3])
        return std::nullopt;
    TextPlacement placement{rgba[4] << 8 | rgba[5], rgba[6] << 8 | rgba[7]};
    if (rgba[2] == kHeaderMarker[2])
        return placement;
    // A stretched frame needs its size, and a size of nothing would place nothing.
    if (rgba[2] != kStretchedVersion || width < 3)
        return std::nullopt;
    placement.stretched = true;
    placement.frameWidth = rgba[8] << 8 | rgba[9];
    placement.frameHeight = rgba[10] << 8 | rgba[11];
    if (placement.frameWidth == 0 || placement.frameHeight == 0)
        return std::nullopt;
    return placement;
}
