// How the show pairs lyric lines with images, shared with the tools that make its data: line k
// (0-based, pair k + 1 of the timing file) shows the texture named 86 − k in three digits, so
// the first line shows "086" and the last "000". No GL here.
#pragma once

#include <array>

#include "rules/ShowFiles.h"

// The registry name of lyric line `line`'s texture: "086" for line 0, "000" for line 86.
std::array<char, 4> lineTextureName(int line);
