// Escaping for JSON strings.
#include "tools/lib/base/JsonString.h"

#include <cstdio>

std::string jsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}
