// UTF-8, read strictly: the phrases the lyric text raster draws, the names in a site's addresses.
// Overlong forms, surrogates, values past U+10FFFF and sequences cut short are refused.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

struct CodePoint {
    char32_t value = 0;
    std::size_t begin = 0;  // its bytes in the text: [begin, end)
    std::size_t end = 0;
};

// The text's characters in order, or nothing when it is not well-formed UTF-8.
std::optional<std::vector<CodePoint>> decodeUtf8(std::string_view text);

bool isUtf8(std::string_view text);
