// Formatting of the timing file and the entry-to-texture mapping.
#include "tools/lyrics/TextTiming.h"

#include <cstdio>

std::string lyricImageName(int index, int count)
{
    char name[16];
    std::snprintf(name, sizeof name, "%03d", count - 1 - index);
    return name;
}

std::string formatTextTiming(const std::vector<LyricEntry>& entries)
{
    std::string text;
    for (const LyricEntry& entry : entries) {
        char line[64];
        std::snprintf(line, sizeof line, "%.3f %.3f\n", entry.start, entry.end);
        text += line;
    }
    return text;
}
