// Formatting of the timing file.
#include "tools/lib/lyrics/TextTiming.h"

#include <cstdio>

std::string formatTextTiming(const std::vector<LyricEntry>& entries, int slots)
{
    std::string text;
    for (const LyricEntry& entry : entries) {
        char line[64];
        std::snprintf(line, sizeof line, "%.3f %.3f\n", entry.start, entry.end);
        text += line;
    }
    for (int slot = int(entries.size()); slot < slots; ++slot)
        text += "0.000 0.000\n";
    return text;
}
