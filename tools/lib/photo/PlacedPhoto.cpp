// Cutting the photo composition down to what shows, behind its header row.
#include "tools/lib/photo/PlacedPhoto.h"

#include <algorithm>
#include <cstring>

#include "rules/LayoutHeader.h"

namespace {

struct Rectangle {
    int left = 0;
    int top = 0;
    int right = 0;  // one past
    int bottom = 0;
};

Rectangle shownRectangle(const PhotoImage& composition)
{
    Rectangle shown{composition.width, composition.height, 0, 0};
    for (int y = 0; y < composition.height; ++y) {
        const uint8_t* row = composition.pixels.data() + size_t(y) * size_t(composition.width) * 4;
        for (int x = 0; x < composition.width; ++x) {
            if (row[size_t(x) * 4 + 3] == 0)
                continue;
            shown.left = std::min(shown.left, x);
            shown.right = std::max(shown.right, x + 1);
            shown.top = std::min(shown.top, y);
            shown.bottom = std::max(shown.bottom, y + 1);
        }
    }
    if (shown.right == 0)
        return {0, 0, 3, 1};
    shown.left = std::max(0, shown.left - kPlacedPhotoMargin);
    shown.top = std::max(0, shown.top - kPlacedPhotoMargin);
    shown.right = std::min(composition.width, shown.right + kPlacedPhotoMargin);
    shown.bottom = std::min(composition.height, shown.bottom + kPlacedPhotoMargin);
    // The header needs three texels across.
    shown.right = std::min(composition.width, std::max(shown.right, shown.left + 3));
    shown.left = std::min(shown.left, shown.right - 3);
    return shown;
}

}  // namespace

PhotoImage placedPhoto(const PhotoImage& composition)
{
    if (composition.width < 3 || composition.height < 1)
        return composition;
    Rectangle shown = shownRectangle(composition);
    PhotoImage placed;
    placed.width = shown.right - shown.left;
    placed.height = shown.bottom - shown.top + 1;
    placed.pixels.assign(size_t(placed.width) * size_t(placed.height) * 4, 0);
    writeLayoutHeader(placed.pixels.data(), placed.width,
                      {shown.left, shown.top, true, composition.width, composition.height});
    size_t rowBytes = size_t(placed.width) * 4;
    for (int y = shown.top; y < shown.bottom; ++y)
        std::memcpy(placed.pixels.data() + size_t(y - shown.top + 1) * rowBytes,
                    composition.pixels.data() + (size_t(y) * size_t(composition.width) + size_t(shown.left)) * 4,
                    rowBytes);
    return placed;
}
