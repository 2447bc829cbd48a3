// Byte-order marks, detection and conversion. A file that is mostly well-formed UTF-8 with a few
// bad bytes stays UTF-8 (with those bytes reported): read as a legacy code page instead, every
// one of its good characters would turn into mojibake.
#include "tools/lib/unicode/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <uchardet/uchardet.h>

#include "tools/lib/base/Utf8.h"

namespace {

struct ByteOrderMark {
    std::string_view bytes;
    const char* encoding;
};

// Longest first: UTF-32LE's mark begins with UTF-16LE's.
constexpr ByteOrderMark kMarks[] = {
    {{"\xFF\xFE\x00\x00", 4}, "UTF-32LE"},
    {{"\x00\x00\xFE\xFF", 4}, "UTF-32BE"},
    {"\xEF\xBB\xBF", "UTF-8"},
    {"\xFF\xFE", "UTF-16LE"},
    {"\xFE\xFF", "UTF-16BE"},
};

// The line the decoded text has reached, counted on from where it was last asked, so a file full
// of bad bytes costs no more than a clean one.
class LineCounter {
public:
    int lineAt(const std::string& decoded)
    {
        for (; counted < decoded.size(); ++counted)
            line += decoded[counted] == '\n';
        return line;
    }

private:
    std::size_t counted = 0;
    int line = 1;
};

void noteInvalid(DecodedText& text, LineCounter& lines, const std::string& what)
{
    int line = lines.lineAt(text.utf8);
    if (text.invalid.empty() || text.invalid.back().line != line)
        text.invalid.push_back({line, what});
    appendUtf8(text.utf8, kReplacementCharacter);
}

std::string notText(const std::string& encoding, bool given)
{
    std::string what = "bytes that are not " + encoding + " text (shown as U+FFFD): ";
    return what + (given ? "is " + encoding + " the file's encoding? If not, give the right one, or save it as UTF-8"
                         : "give the file's encoding with --encoding NAME, or save it as UTF-8");
}

// The bytes of one code unit, skipped past a sequence the converter refuses.
std::size_t unitOf(std::string_view encoding)
{
    auto starts = [&](std::string_view prefix) {
        if (encoding.size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(encoding[i])) != prefix[i])
                return false;
        return true;
    };
    return starts("UTF-16") || starts("UCS-2") ? 2 : starts("UTF-32") || starts("UCS-4") ? 4 : 1;
}

void keepUtf8(std::string_view bytes, DecodedText& text)
{
    text.encoding = "UTF-8";
    LineCounter lines;
    std::string what = notText("UTF-8", false);
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t length = utf8SequenceLength(bytes, at);
        if (length == 0) {
            noteInvalid(text, lines, what);
            ++at;
            continue;
        }
        text.utf8.append(bytes.substr(at, length));
        at += length;
    }
}

// Converts with iconv, replacing each refused sequence and going on after it.
void convert(std::string_view bytes, const std::string& encoding, bool given, DecodedText& text)
{
    iconv_t converter = iconv_open("UTF-8", encoding.c_str());
    if (converter == iconv_t(-1)) {
        text.error = (given ? "the encoding '" + encoding + "'" : "the file's encoding, " + encoding + ",") +
                     " is not one this system can convert ('iconv -l' lists those it can): save the file as UTF-8";
        return;
    }
    text.encoding = encoding;
    LineCounter lines;
    char buffer[4096];
    auto* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        int failure = errno;
        text.utf8.append(buffer, std::size_t(out - buffer));
        if (done != std::size_t(-1) || failure == E2BIG)
            continue;
        // A refused sequence, or one cut off by the end of the file.
        noteInvalid(text, lines, notText(encoding, given));
        std::size_t skip = failure == EINVAL ? inLeft : std::min(unitOf(encoding), inLeft);
        in += skip;
        inLeft -= skip;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, &out, &outLeft);
    text.utf8.append(buffer, std::size_t(out - buffer));
    iconv_close(converter);
}

// UTF-16 without a mark: text of mostly Latin letters has a zero in every other byte.
const char* unmarkedUtf16(std::string_view bytes)
{
    if (bytes.size() < 4 || bytes.size() % 2 != 0)
        return nullptr;
    std::size_t zeroEven = 0, zeroOdd = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        (i % 2 == 0 ? zeroEven : zeroOdd) += bytes[i] == '\0';
    std::size_t half = bytes.size() / 2;
    if (zeroOdd * 4 >= half * 3 && zeroEven == 0)
        return "UTF-16LE";
    if (zeroEven * 4 >= half * 3 && zeroOdd == 0)
        return "UTF-16BE";
    return nullptr;
}

// More well-formed multi-byte sequences than stray bytes: UTF-8 with damage, not a code page.
bool mostlyUtf8(std::string_view bytes)
{
    std::size_t multiByte = 0, stray = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = utf8SequenceLength(bytes, at);
        multiByte += length > 1;
        stray += length == 0;
        at += length == 0 ? 1 : length;
    }
    return multiByte > stray;
}

std::string detectedEncoding(std::string_view bytes)
{
    uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, bytes.data(), bytes.size());
    uchardet_data_end(detector);
    std::string name = uchardet_get_charset(detector);
    uchardet_delete(detector);
    return name;
}

void detectAndConvert(std::string_view bytes, DecodedText& text)
{
    std::string encoding;
    if (const char* utf16 = unmarkedUtf16(bytes))
        encoding = utf16;
    else if (!mostlyUtf8(bytes))
        encoding = detectedEncoding(bytes);
    if (encoding.empty() || encoding == "UTF-8" || encoding == "ASCII") {
        keepUtf8(bytes, text);
        return;
    }
    convert(bytes, encoding, false, text);
    if (!text.error)
        text.warning = "not UTF-8; read as " + encoding + ", the encoding it looks like: if the text is wrong, give "
                       "the file's encoding with --encoding NAME";
}

}  // namespace

DecodedText decodeText(std::string_view bytes, std::string_view encoding)
{
    DecodedText text;
    if (!encoding.empty()) {
        convert(bytes, std::string(encoding), true, text);
        if (text.utf8.rfind("\xEF\xBB\xBF", 0) == 0)
            text.utf8.erase(0, 3);
        return text;
    }
    for (const ByteOrderMark& mark : kMarks) {
        if (bytes.substr(0, mark.bytes.size()) != mark.bytes)
            continue;
        bytes.remove_prefix(mark.bytes.size());
        if (std::string_view(mark.encoding) == "UTF-8")
            keepUtf8(bytes, text);
        else
            convert(bytes, mark.encoding, false, text);
        return text;
    }
    if (isUtf8(bytes)) {
        text.encoding = "UTF-8";
        text.utf8 = std::string(bytes);
        return text;
    }
    detectAndConvert(bytes, text);
    return text;
}
