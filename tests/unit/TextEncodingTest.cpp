// Reading a text file's bytes as UTF-8: byte-order marks, detection of files that are not
// UTF-8, a given encoding, and invalid bytes, which never pass through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/EncodedText.h"
#include "tools/lib/unicode/TextEncoding.h"
#include "tools/lib/base/Utf8.h"

namespace {

// Lyrics as a music service exports them, long enough for detection to have something to go on.
const std::string kChineseLyrics =
    "[ti:月亮代表我的心]\n"
    "[00:12.30]你问我爱你有多深\n"
    "[00:18.45]我爱你有几分\n"
    "[00:24.10]我的情也真 我的爱也真\n"
    "[00:30.80]月亮代表我的心\n"
    "[00:37.20]轻轻的一个吻 已经打动我的心\n"
    "[00:44.00]深深的一段情 教我思念到如今\n";
const std::string kTraditionalLyrics =
    "[ti:月亮代表我的心]\n"
    "[00:12.30]你問我愛你有多深\n"
    "[00:18.45]我愛你有幾分\n"
    "[00:24.10]我的情也真 我的愛也真\n"
    "[00:30.80]月亮代表我的心\n"
    "[00:37.20]輕輕的一個吻 已經打動我的心\n"
    "[00:44.00]深深的一段情 教我思念到如今\n";
const std::string kJapaneseLyrics =
    "[00:01.00]夜空に光る星を見上げて\n"
    "[00:05.50]あなたのことを思い出す\n"
    "[00:10.20]遠い街の灯りが揺れている\n"
    "[00:15.00]もう一度だけ会いたいと願う\n";

std::string describe(const DecodedText& text)
{
    std::string out = "encoding " + text.encoding + "\nwarning " + text.warning.value_or("-") + "\nerror " +
                      text.error.value_or("-") + "\n";
    for (const InvalidBytes& bad : text.invalid)
        out += "invalid line " + std::to_string(bad.line) + ": " + bad.what + "\n";
    return out + "text: " + text.utf8;
}

}  // namespace

TEST(TextEncoding, FilesOfEveryEncodingReadAsUtf8AndInvalidBytesNeverPassThrough)
{
    const std::string plain = "[00:01.00]Yellow windows\n[00:02.00]días y noches 歌\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string given;  // --encoding
        std::string text;   // expected; where a byte is invalid, U+FFFD stands for it
        std::string encoding;
        bool warned;             // only a guess warns
        std::vector<int> invalid;  // lines with invalid bytes
        bool error = false;
    };
    const std::string replacement = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"UTF-8", plain, "", plain, "UTF-8", false, {}},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + plain, "", plain, "UTF-8", false, {}},
        {"UTF-16LE with a mark", encoded("\uFEFF" + plain, "UTF-16LE"), "", plain, "UTF-16LE", false, {}},
        {"UTF-16BE with a mark", encoded("\uFEFF" + plain, "UTF-16BE"), "", plain, "UTF-16BE", false, {}},
        {"UTF-32LE with a mark", encoded("\uFEFF" + plain, "UTF-32LE"), "", plain, "UTF-32LE", false, {}},
        {"UTF-16LE without a mark", encoded(plain, "UTF-16LE"), "", plain, "UTF-16LE", true, {}},
        {"GBK", encoded(kChineseLyrics, "GBK"), "", kChineseLyrics, "GB18030", true, {}},
        {"Big5", encoded(kTraditionalLyrics, "BIG5"), "", kTraditionalLyrics, "BIG5", true, {}},
        {"Shift JIS", encoded(kJapaneseLyrics, "SHIFT_JIS"), "", kJapaneseLyrics, "SHIFT_JIS", true, {}},
        {"GBK given", encoded(kChineseLyrics, "GBK"), "GBK", kChineseLyrics, "GBK", false, {}},
        // One stray Latin-1 byte in a UTF-8 file: the file stays UTF-8 and the line is named.
        {"UTF-8 with a stray byte", plain + "[00:03.00]caf\xE9\n", "", plain + "[00:03.00]caf" + replacement + "\n",
         "UTF-8", false, {3}},
        {"UTF-8 mark, bad bytes", "\xEF\xBB\xBF[00:01.00]a\xC0\xAF\n\xED\xA0\x80z", "",
         "[00:01.00]a" + replacement + replacement + "\n" + replacement + replacement + replacement + "z", "UTF-8",
         false, {1, 2}},
        {"UTF-16LE, a lone surrogate", encoded("\uFEFF[00:01.00]a\n", "UTF-16LE") + std::string("\x00\xD8", 2) +
             encoded("b\n", "UTF-16LE"), "", "[00:01.00]a\n" + replacement + "b\n", "UTF-16LE", false, {2}},
        {"UTF-16LE, cut short", encoded("\uFEFF[00:01.00]a\nb", "UTF-16LE") + "c", "", "[00:01.00]a\nb" + replacement,
         "UTF-16LE", false, {2}},
        {"GB18030 given, not GB18030", "[00:01.00]ok\n[00:02.00]\x80\x80\n", "GB18030",
         "[00:01.00]ok\n[00:02.00]" + replacement + replacement + "\n", "GB18030", false, {2}},
        {"an unknown encoding given", plain, "NO-SUCH-ENCODING", "", "", false, {}, true},
    };
    for (const Case& c : cases) {
        DecodedText text = decodeText(c.bytes, c.given);
        SCOPED_TRACE(c.name + std::string("\n") + describe(text));
        EXPECT_EQ(text.error.has_value(), c.error);
        EXPECT_EQ(text.utf8, c.text);
        EXPECT_EQ(text.encoding, c.encoding);
        EXPECT_EQ(text.warning.has_value(), c.warned);
        if (c.warned) {
            EXPECT_NE(text.warning->find(c.encoding), std::string::npos);
        }
        std::vector<int> lines;
        for (const InvalidBytes& bad : text.invalid)
            lines.push_back(bad.line);
        EXPECT_EQ(lines, c.invalid);
        for (const InvalidBytes& bad : text.invalid) {
            EXPECT_NE(bad.what.find(c.given.empty() ? "--encoding" : "save it as UTF-8"), std::string::npos);
        }
        EXPECT_TRUE(decodeUtf8(text.utf8).has_value());
    }
}
