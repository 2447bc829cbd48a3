// Output patterns with one integer field.
#include "tools/render/OutputPattern.h"

#include <cctype>
#include <cstdio>

std::string OutputPattern::fill(int64_t number, double seconds) const
{
    if (!hasField)
        return before;
    if (timeField) {
        char moment[32];
        std::snprintf(moment, sizeof moment, "%07.3f", seconds);
        return before + moment + after;
    }
    std::string digits = std::to_string(number < 0 ? -number : number);
    std::string sign = number < 0 ? "-" : "";
    size_t used = sign.size() + digits.size();
    std::string padding = size_t(width) > used ? std::string(size_t(width) - used, zeroPadded ? '0' : ' ') : "";
    return before + (zeroPadded ? sign + padding : padding + sign) + digits + after;
}

std::optional<OutputPattern> parseOutputPattern(std::string_view text, std::string& why)
{
    OutputPattern pattern;
    if (text.ends_with('/')) {
        pattern.before = std::string(text);
        pattern.after = ".png";
        pattern.hasField = pattern.timeField = true;
        return pattern;
    }
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
        bool time = i < text.size() && text[i] == 't';
        bool zero = !time && i < text.size() && text[i] == '0';
        if (zero)
            ++i;
        int width = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && width < 1000)
            width = width * 10 + (text[i++] - '0');
        if (i >= text.size() || (text[i] != 'd' && !time)) {
            why = "'" + std::string(text) + "': '" + std::string(text.substr(start, i + 1 - start)) +
                  "' is not a %d or %t field (write %% for a percent sign)";
            return std::nullopt;
        }
        if (pattern.hasField) {
            why = "'" + std::string(text) + "' holds more than one field";
            return std::nullopt;
        }
        pattern.hasField = true;
        pattern.timeField = time;
        pattern.zeroPadded = zero;
        pattern.width = width;
        part = &pattern.after;
    }
    return pattern;
}
