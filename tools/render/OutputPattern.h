// The output name of a frame: a path with at most one printf-style integer field ("%d",
// "%05d", "%5d"), filled with the frame's number; "%%" stands for a percent sign.
//
//   std::string why;
//   std::optional<OutputPattern> pattern = parseOutputPattern("frames/%05d.png", why);
//   pattern->fill(12) == "frames/00012.png"
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct OutputPattern {
    std::string before;  // the text before the field, "%%" already made "%"
    std::string after;   // the text after it
    bool hasField = false;
    bool zeroPadded = false;
    int width = 0;

    // The path of frame `number`; without a field, always the same path.
    std::string fill(int64_t number) const;
};

// Nothing, with the reason in `why`, when `text` holds a second field, another conversion
// than d, or a lone percent sign.
std::optional<OutputPattern> parseOutputPattern(std::string_view text, std::string& why);
