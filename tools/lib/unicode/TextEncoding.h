// A text file's bytes to UTF-8, whatever the file was saved as: a byte-order mark (UTF-8,
// UTF-16 or UTF-32, either byte order) is followed, a file that is not UTF-8 has its encoding
// detected (uchardet) and is converted (iconv), and a name the user gives overrides both.
// Bytes that are not text in the encoding read never pass through: each becomes U+FFFD and its
// line is reported, so a caller can refuse the file and still read the rest for other faults.
//
//   DecodedText text = decodeText(bytes);               // or decodeText(bytes, "GB18030")
//   if (text.warning) warn(path + ": " + *text.warning);  // a guess: --strict may refuse it
//   for (const InvalidBytes& bad : text.invalid) error(path, bad.line, bad.what);
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct InvalidBytes {
    int line = 0;  // 1-based, in the decoded text
    std::string what;
};

struct DecodedText {
    std::string utf8;      // without the byte-order mark
    std::string encoding;  // as read: "UTF-8", "UTF-16LE", "GB18030", or the name given
    // Set only when the encoding was guessed, never for UTF-8, a byte-order mark or a given name:
    // one line naming the encoding and how to give another.
    std::optional<std::string> warning;
    std::vector<InvalidBytes> invalid;  // at most one per line, in order
    // Set, with nothing decoded, when the given encoding (or the one detected) is one this
    // system cannot convert.
    std::optional<std::string> error;
};

// `encoding`, when not empty, is an iconv name ("GB18030", "SHIFT_JIS", "UTF-16LE", …) that
// overrides the byte-order mark and detection.
DecodedText decodeText(std::string_view bytes, std::string_view encoding = {});
