// The header row that carries a lyric image's place on screen, since the show passes no
// position: row 0 of the image is never drawn, texel (0,0) is the marker 'S','V', version 1,
// alpha 0, and texel (1,0) is the text area's top-left corner in the 1920×1080 reference frame
// as (left >> 8, left & 255, top >> 8, top & 255). Rows 1… are the text, one texel per
// reference pixel. data/textlayout.frag reads the same two texels.
#pragma once

#include <cstdint>
#include <optional>

inline constexpr int kReferenceWidth = 1920;
inline constexpr int kReferenceHeight = 1080;
inline constexpr uint8_t kHeaderMarker[4] = {83, 86, 1, 0};

// Where row 1 of the image goes: reference-frame pixels, y down.
struct TextPlacement {
    int left = 0;
    int top = 0;
    bool operator==(const TextPlacement&) const = default;
};

// Writes the header into the first row of an RGBA image `width` texels wide (at least 2),
// clearing the rest of that row. Placements outside 0…65535 do not fit and are refused.
bool writeLayoutHeader(uint8_t* firstRow, int width, TextPlacement placement);

// The placement of an RGBA image whose first row holds the header, or nothing: then the
// image is drawn stretched over the whole screen.
std::optional<TextPlacement> readLayoutHeader(const uint8_t* rgba, int width, int height);
