// UTF-8 as the tools keep text: decoding with the byte range of every code point, the length of
// one well-formed sequence, and encoding a code point.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CodePoint {
    char32_t value = 0;
    std::size_t begin = 0;  // its bytes in the text
    std::size_t end = 0;
};

// The bytes of the well-formed sequence at `at` (shortest form, no surrogates, at most
// U+10FFFF), or 0 where the bytes there are not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

// Every code point of the text, or nothing when any byte is not well-formed UTF-8.
std::optional<std::vector<CodePoint>> decodeUtf8(std::string_view text);

bool isUtf8(std::string_view text);

void appendUtf8(std::string& text, char32_t codePoint);

// A code point as Unicode names it: "U+0007", "U+1F600".
std::string codeName(char32_t codePoint);

inline constexpr char32_t kReplacementCharacter = 0xFFFD;
