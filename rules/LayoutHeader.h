// The header row that carries an image's place on screen, since the show passes no position:
// row 0 of the image is never drawn, and rows 1… are the picture, one texel per pixel of a
// frame. Texel (0,0) is the marker 'S','V', the version, alpha 0; texel (1,0) is where row 1
// goes in that frame, (left >> 8, left & 255, top >> 8, top & 255), pixels, y down.
// - Version 1, a lyric line: the frame is 1920×1080, scaled by viewport height / 1080 and
//   centred across, so text keeps its shape on any screen.
// - Version 2, the photo: texel (2,0) gives the frame's size the same way (width, then height),
//   and the frame is stretched over the whole viewport, as an image without a header is; the
//   image holds only the part of the frame that shows anything.
// data/textlayout.vert and textlayout.frag read the same texels.
#pragma once

#include <cstdint>
#include <optional>

inline constexpr int kReferenceWidth = 1920;
inline constexpr int kReferenceHeight = 1080;
inline constexpr uint8_t kHeaderMarker[4] = {83, 86, 1, 0};
inline constexpr uint8_t kStretchedVersion = 2;

// Where row 1 of the image goes: frame pixels, y down.
struct TextPlacement {
    int left = 0;
    int top = 0;
    // Version 2: the frame stretched over the viewport, of this size.
    bool stretched = false;
    int frameWidth = kReferenceWidth;
    int frameHeight = kReferenceHeight;
    bool operator==(const TextPlacement&) const = default;
};

// Writes the header into the first row of an RGBA image `width` texels wide (at least 2, and 3
// for a stretched frame), clearing the rest of that row. Numbers outside 0…65535, and a frame
// without pixels, do not fit and are refused.
bool writeLayoutHeader(uint8_t* firstRow, int width, TextPlacement placement);

// The placement of an RGBA image whose first row holds the header, or nothing: then the
// image is drawn stretched over the whole screen.
std::optional<TextPlacement> readLayoutHeader(const uint8_t* rgba, int width, int height);
