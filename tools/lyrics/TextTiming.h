// The show's side of the lyric entries: the timing file it reads and the texture name of each
// entry. The show pairs its first timing line with texture "086" and its last with "000".
#pragma once

#include <string>
#include <vector>

#include "tools/lyrics/LyricFile.h"

// The texture name ("086" … "000") that shows entry `index` (0-based, file order) among `count`.
std::string lyricImageName(int index, int count = kLyricEntryCount);

// data/texttiming.txt: "start end" in seconds, one entry a line, in file order.
std::string formatTextTiming(const std::vector<LyricEntry>& entries);
