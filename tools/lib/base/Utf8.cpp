// Well-formedness as Unicode defines it (table 3-7): overlong forms, surrogates and values past
// U+10FFFF are refused, so nothing downstream meets them.
#include "tools/lib/base/Utf8.h"

#include <cstdio>

std::size_t utf8SequenceLength(std::string_view text, std::size_t at)
{
    auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    char32_t value = length == 1 ? byte : byte & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        auto next = static_cast<unsigned char>(text[at + k]);
        if ((next >> 6) != 2)
            return 0;
        value = value << 6 | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

std::optional<std::vector<CodePoint>> decodeUtf8(std::string_view text)
{
    std::vector<CodePoint> points;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t length = utf8SequenceLength(text, at);
        if (length == 0)
            return std::nullopt;
        auto first = static_cast<unsigned char>(text[at]);
        char32_t value = length == 1 ? first : first & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            value = value << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        points.push_back({value, at, at + length});
        at += length;
    }
    return points;
}

void appendUtf8(std::string& text, char32_t codePoint)
{
    if (codePoint < 0x80) {
        text.push_back(char(codePoint));
    } else if (codePoint < 0x800) {
        text.push_back(char(0xC0 | codePoint >> 6));
        text.push_back(char(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        text.push_back(char(0xE0 | codePoint >> 12));
        text.push_back(char(0x80 | (codePoint >> 6 & 0x3F)));
        text.push_back(char(0x80 | (codePoint & 0x3F)));
    } else {
        text.push_back(char(0xF0 | codePoint >> 18));
        text.push_back(char(0x80 | (codePoint >> 12 & 0x3F)));
        text.push_back(char(0x80 | (codePoint >> 6 & 0x3F)));
        text.push_back(char(0x80 | (codePoint & 0x3F)));
    }
}

bool isUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = utf8SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string codeName(char32_t codePoint)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(codePoint));
    return code;
}
