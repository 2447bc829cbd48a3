// Unicode boundaries of lyric text: grapheme clusters, where a line may be cut between words in
// every script (between characters in Chinese and Japanese), where it may wrap, and the rows a
// long phrase wraps into.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/lib/unicode/TextBoundaries.h"

TEST(TextBoundaries, ClustersWordsAndLineBreaksFollowTheUnicodeRulesInEveryScript)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::size_t> clusters;
        std::vector<std::size_t> words;
        std::vector<std::size_t> lines;  // break opportunities; the end is one
    };
    const Case cases[] = {
        {"English", "hold the light,", {}, {0, 4, 5, 8, 9, 14, 15}, {5, 9, 15}},
        {"a combining accent", "e\u0301t\u00E9", {0, 3, 4, 6}, {0, 6}, {6}},
        {"an emoji family and a flag", "\U0001F468\u200D\U0001F469\u200D\U0001F467\U0001F1EF\U0001F1F5",
         {0, 18, 26}, {}, {}},
        // Chinese: a cut between any two characters.
        {"Chinese", "我爱你", {0, 3, 6, 9}, {0, 3, 6, 9}, {3, 6, 9}},
        // Japanese: between characters, but never before the long-vowel mark or a small kana.
        {"Japanese", "カーテンきゃ", {}, {0, 6, 9, 12, 18}, {6, 9, 12, 18}},
        // Thai has no spaces: ICU's dictionary finds the two words.
        {"Thai", "สวัสดีครับ", {}, {0, 18, 30}, {18, 30}},
        {"Arabic", "سلام عليكم", {}, {0, 8, 9, 19}, {9, 19}},
        {"Devanagari", "नमस्ते दुनिया", {0, 3, 6, 18, 19, 25, 31, 37}, {0, 18, 19, 37}, {19, 37}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.clusters.empty()) {
            EXPECT_EQ(graphemeBoundaries(c.text), c.clusters);
        }
        if (!c.words.empty()) {
            EXPECT_EQ(wordBoundaries(c.text), c.words);
        }
        std::vector<std::size_t> lines;
        for (const LineBreak& line : lineBreaks(c.text))
            lines.push_back(line.offset);
        if (!c.lines.empty()) {
            EXPECT_EQ(lines, c.lines);
        }
    }
    EXPECT_EQ(graphemeBoundaries(""), std::vector<std::size_t>{0});
    EXPECT_EQ(wordBoundaries(""), std::vector<std::size_t>{0});
    EXPECT_EQ(lineBreaks("one\ntwo"), (std::vector<LineBreak>{{4, true}, {7, false}}));
}

TEST(TextBoundaries, LongPhrasesWrapIntoTheFewestEvenRows)
{
    // Ten pixels a byte, trailing spaces left out, as a caller measures a row.
    auto width = [](const std::string& text) {
        return [text](std::size_t begin, std::size_t end) {
            while (end > begin && text[end - 1] == ' ')
                --end;
            return int(end - begin) * 10;
        };
    };
    struct Case {
        const char* name;
        std::string text;
        int widest;
        std::vector<std::size_t> cuts;
    };
    const Case cases[] = {
        {"fits", "one two three", 200, {}},
        // Greedy filling would give "aaa bbb ccc" and "d"; even rows are kinder to read.
        {"even rows", "aaa bbb ccc d", 110, {8}},
        {"three rows", "aa bbbbb c dddd ee", 80, {3, 11}},
        {"three rows of words", "one two three four five six", 100, {8, 19}},
        {"a word wider than a row", "a bbbbbbbbbbbb c", 50, {2, 15}},
        {"a mandatory break", "aa\nbb cc", 200, {3}},
        {"Chinese", "我爱你我爱你", 100, {9}},
        {"nothing", "", 100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(chooseRowBreaks(lineBreaks(c.text), width(c.text), c.widest), c.cuts);
    }
}
