// How the show pairs lyric lines with images, shared with the tools that make its data: of N
// lines, line k (0-based, pair k + 1 of the timing file) shows the texture named N − 1 − k in
// three digits, so the first line shows the highest name and the last "000". The stock show has
// N = 87: "086" … "000". No GL here.
#pragma once

#include <array>

#include "rules/ShowFiles.h"

// The registry name of lyric line `line` of `count`: "086" for line 0 of 87, "000" for line 86.
// `count` is at most kMostLyricEntries.
std::array<char, 4> lineTextureName(int line, int count = kLyricLineCount);
