// Text as a JSON string, for the files and messages the tools and their tests write in JSON.
#pragma once

#include <string>
#include <string_view>

// `text` quoted, with quotes, backslashes and control characters escaped; other bytes as they
// are, so UTF-8 stays UTF-8.
std::string jsonString(std::string_view text);
