// The output name of a frame: a path with at most one field, a printf-style integer ("%d",
// "%05d", "%5d") filled with the frame's number, or "%t" filled with its show time in seconds
// to the millisecond, padded to three digits before the point so that names sort by time
// ("012.500"); "%%" stands for a percent sign. A path ending in "/" names a folder, and the
// stills in it are named by time ("frames/%t.png").
//
//   std::string why;
//   std::optional<OutputPattern> pattern = parseOutputPattern("frames/%05d.png", why);
//   pattern->fill(12, 0.2) == "frames/00012.png"
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct OutputPattern {
    std::string before;  // the text before the field, "%%" already made "%"
    std::string after;   // the text after it
    bool hasField = false;
    bool timeField = false;  // %t rather than %d
    bool zeroPadded = false;
    int width = 0;

    // The path of frame `number`, shown at `seconds`; without a field, always the same path.
    std::string fill(int64_t number, double seconds = 0.0) const;
};

// Nothing, with the reason in `why`, when `text` holds a second field, another conversion
// than d or t, or a lone percent sign.
std::optional<OutputPattern> parseOutputPattern(std::string_view text, std::string& why);
