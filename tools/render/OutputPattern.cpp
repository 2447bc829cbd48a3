// Output patterns with one integer field.
#include "tools/render/OutputPattern.h"

#include <cctype>

std::string OutputPattern::fill(int64_t number) const
{
    if (!hasField)
        return before;
    std::string digits = std::to_string(number < 0 ? -number : number);
    std::string sign = number < 0 ? "-" : "";
    size_t used = sign.size() + digits.size();
    std::string padding = size_t(width) > used ? std::string(size_t(width) - used, zeroPadded ? '0' : ' ') : "";
    return before + (zeroPadded ? sign + padding : padding + sign) + digits + after;
}

std::optional<OutputPattern> parseOutputPattern(std::string_view text, std::string& why)
{
    OutputPattern pattern;
    std::string* part = &pattern.before;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *part += text[i];
            continue;
        }
        size_t start = i++;
        if (i < text.size() && text[i] == '%') {
            *part += '%';
            continue;
        }
        bool zero = i < text.size() && text[i] == '0';
        if (zero)
            ++i;
        int width = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && width < 1000)
            width = width * 10 + (text[i++] - '0');
        if (i >= text.size() || text[i] != 'd') {
            why = "'" + std::string(text) + "': '" + std::string(text.substr(start, i + 1 - start)) +
                  "' is not a %d field (write %% for a percent sign)";
            return std::nullopt;
        }
        if (pattern.hasField) {
            why = "'" + std::string(text) + "' holds more than one %d field";
            return std::nullopt;
        }
        pattern.hasField = true;
        pattern.zeroPadded = zero;
        pattern.width = width;
        part = &pattern.after;
    }
    return pattern;
}
