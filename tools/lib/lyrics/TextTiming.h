// The show's side of the lyric entries: the timing file it reads. Which image shows each entry
// is the show's own rule, lineTextureName in rules/LineTextureName.h.
#pragma once

#include <string>
#include <vector>

#include "tools/lib/lyrics/LyricFile.h"

// data/texttiming.txt: "start end" in seconds, one entry a line, in file order, then "0.000 0.000"
// for each of the `slots` the entries leave unused: a window that never opens.
std::string formatTextTiming(const std::vector<LyricEntry>& entries, int slots = 0);
