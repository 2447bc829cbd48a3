// Encoding and decoding of the lyric images' header row.
#include "rules/LayoutHeader.h"

#include <algorithm>

bool writeLayoutHeader(uint8_t* firstRow, int width, TextPlacement placement)
{
    if (width < 2 || placement.left < 0 || placement.top < 0 || placement.left > 0xFFFF || placement.top > 0xFFFF)
        return false;
    std::fill(firstRow, firstRow + width * 4, uint8_t(0));
    std::copy(kHeaderMarker, kHeaderMarker + 4, firstRow);
    firstRow[4] = uint8_t(placement.left >> 8);
    firstRow[5] = uint8_t(placement.left & 255);
    firstRow[6] = uint8_t(placement.top >> 8);
    firstRow[7] = uint8_t(placement.top & 255);
    return true;
}

std::optional<TextPlacement> readLayoutHeader(const uint8_t* rgba, int width, int height)
{
    if (width < 2 || height < 2 || !std::equal(kHeaderMarker, kHeaderMarker + 4, rgba))
        return std::nullopt;
    return TextPlacement{rgba[4] << 8 | rgba[5], rgba[6] << 8 | rgba[7]};
}
