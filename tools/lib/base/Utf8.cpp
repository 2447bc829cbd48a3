// Decoding UTF-8 one sequence at a time.
#include "tools/lib/base/Utf8.h"

std::optional<std::vector<CodePoint>> decodeUtf8(std::string_view text)
{
    std::vector<CodePoint> points;
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        int length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return std::nullopt;
        char32_t value = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next >> 6) != 2)
                return std::nullopt;
            value = value << 6 | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return std::nullopt;
        points.push_back({value, i, i + length});
        i += length;
    }
    return points;
}

bool isUtf8(std::string_view text)
{
    return decodeUtf8(text).has_value();
}
