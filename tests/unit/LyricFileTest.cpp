// The lyric file: times, lines and word stamps to entries, LRC import, offsets, faults with
// file and line, and the mapping of entries to the show's timing lines and texture names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TimingText.h"
#include "tools/lyrics/LyricFile.h"
#include "tools/lyrics/TextTiming.h"

namespace {

struct ExpectedEntry {
    double start;
    double end;
    std::string text;
    int row;
    int line;
};

std::string describe(const std::vector<LyricEntry>& entries)
{
    std::string text;
    for (const LyricEntry& e : entries) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.3f-%.3f row %d line %d ", e.start, e.end, e.row, e.sourceLine);
        text += buffer + ("'" + e.text + "'\n");
    }
    return text;
}

// A file of `count` explicit one-entry lines, one second apart.
std::string numberedLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "[00:%02d.%02d-00:%02d.%02d] word%d\n", i / 2, (i % 2) * 50, i / 2,
                      (i % 2) * 50 + 40, i);
        text += line;
    }
    return text;
}

}  // namespace

TEST(LyricFile, TimesReadInEveryWrittenPrecision)
{
    struct Case {
        const char* text;
        std::optional<long long> milliseconds;
    };
    const Case cases[] = {
        {"01:02.50", 62500},  {"1:02", 62000},     {"00:00.5", 500},     {"00:01.005", 1005},
        {"123:00.00", 7380000}, {"0:7.25", 7250},  {"01:60.00", {}},     {"01:2x", {}},
        {"0102", {}},          {":01", {}},         {"01:02.", {}},       {"01:02.1234", {}},
        {"01:123", {}},        {"-1:00", {}},       {"01:02.+5", {}},     {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseLyricTime(c.text), c.milliseconds) << "'" << c.text << "'";
}

TEST(LyricFile, LinesBecomeEntriesWithStartsEndsAndRows)
{
    struct Case {
        const char* name;
        const char* text;
        std::vector<ExpectedEntry> entries;
    };
    const Case cases[] = {
        {"explicit range", "[00:01.00-00:03.50] Hello there\n", {{1.0, 3.5, "Hello there", 0, 1}}},
        {"plain LRC ends where the next line starts, the last one four seconds on",
         "[00:01.00] One\n[00:02.50] Two\n[00:10.00] Three\n",
         {{1.0, 2.5, "One", 0, 1}, {2.5, 10.0, "Two", 1, 2}, {10.0, 14.0, "Three", 2, 3}}},
        {"word stamps begin entries that last to the line's end",
         "[00:04.00-00:06.00] <00:04.00>Word <00:04.50>word word <00:05.25>word\n",
         {{4.0, 6.0, "Word", 0, 1}, {4.5, 6.0, "word word", 0, 1}, {5.25, 6.0, "word", 0, 1}}},
        {"words before the first stamp start with the line",
         "[00:04.00-00:06.00] We <00:05.00>go\n",
         {{4.0, 6.0, "We", 0, 1}, {5.0, 6.0, "go", 0, 1}}},
        {"a trailing stamp ends a plain line", "[00:04.00] <00:04.10>a <00:04.70>b <00:05.30>\n[00:09.00] c\n",
         {{4.1, 5.3, "a", 0, 1}, {4.7, 5.3, "b", 0, 1}, {9.0, 13.0, "c", 1, 2}}},
        {"a time with no words is a pause that ends the line before",
         "[00:01.00] One\n[00:02.00]\n[00:05.00] Two\n", {{1.0, 2.0, "One", 0, 1}, {5.0, 9.0, "Two", 1, 3}}},
        {"the next line in time ends a line, whatever the file order",
         "[00:05.00] Late\n[00:01.00] Early\n", {{5.0, 9.0, "Late", 0, 1}, {1.0, 5.0, "Early", 1, 2}}},
        {"several time tags repeat a line",
         "[00:01.00][00:03.00] La la\n[00:02.00] Mid\n[00:04.00]\n",
         {{1.0, 2.0, "La la", 0, 1}, {3.0, 4.0, "La la", 1, 1}, {2.0, 3.0, "Mid", 2, 2}}},
        {"a positive offset shows the lyrics sooner", "[offset:+500]\n[00:02.00-00:03.00] x\n",
         {{1.5, 2.5, "x", 0, 2}}},
        {"a negative offset shows them later, wherever the tag is", "[00:02.00] x\n[offset:-250]\n",
         {{2.25, 6.25, "x", 0, 1}}},
        {"tags, comments, blank lines, CRLF and a byte order mark",
         "\xEF\xBB\xBF[ti:Title] [ar:Artist]\r\n# a comment\r\n\r\n   # indented comment\r\n"
         "[al:Album]\r\n[00:01.00-00:02.00]  Spaced   out  \r\n",
         {{1.0, 2.0, "Spaced   out", 0, 6}}},
        {"a stamp inside a word splits it into syllables",
         "[00:01.00-00:03.00] Sing<00:02.00>ing\n", {{1.0, 3.0, "Sing", 0, 1}, {2.0, 3.0, "ing", 0, 1}}},
        {"brackets after the time tag are text", "[00:01.00-00:02.00] [chorus] <x> ok\n",
         {{1.0, 2.0, "[chorus] <x> ok", 0, 1}}},
        {"equal stamps are allowed", "[00:01.00-00:02.00] <00:01.00>a <00:01.00>b\n",
         {{1.0, 2.0, "a", 0, 1}, {1.0, 2.0, "b", 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LyricParse parse = parseLyrics(c.text, "song.txt", std::nullopt);
        ASSERT_TRUE(parse.ok()) << parse.errors.front();
        const std::vector<LyricEntry>& entries = parse.sheet.entries;
        ASSERT_EQ(entries.size(), c.entries.size()) << describe(entries);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_NEAR(entries[i].start, c.entries[i].start, 1e-9) << describe(entries);
            EXPECT_NEAR(entries[i].end, c.entries[i].end, 1e-9) << describe(entries);
            EXPECT_EQ(entries[i].text, c.entries[i].text);
            EXPECT_EQ(entries[i].row, c.entries[i].row);
            EXPECT_EQ(entries[i].sourceLine, c.entries[i].line);
        }
    }
}

TEST(LyricFile, RowsHoldTheWholePhraseAndWhereEachEntrySitsInIt)
{
    LyricParse parse = parseLyrics("[00:01.00-00:04.00]  <00:01.00>Sing<00:02.00>ing  <00:03.00>loud \n"
                                   "[00:05.00-00:06.00] plain words\n",
                                   "song.txt", std::nullopt);
    ASSERT_TRUE(parse.ok());
    const LyricSheet& sheet = parse.sheet;
    ASSERT_EQ(sheet.rows.size(), 2u);
    EXPECT_EQ(sheet.rows[0].phrase, "Singing  loud");
    EXPECT_EQ(sheet.rows[0].firstEntry, 0);
    EXPECT_EQ(sheet.rows[0].entryCount, 3);
    EXPECT_DOUBLE_EQ(sheet.rows[0].start, 1.0);
    EXPECT_DOUBLE_EQ(sheet.rows[0].end, 4.0);
    EXPECT_EQ(sheet.rows[1].phrase, "plain words");
    EXPECT_EQ(sheet.rows[1].firstEntry, 3);
    EXPECT_EQ(sheet.rows[1].sourceLine, 2);
    for (const LyricEntry& entry : sheet.entries) {
        const std::string& phrase = sheet.rows[entry.row].phrase;
        EXPECT_EQ(phrase.substr(entry.phraseBegin, entry.phraseEnd - entry.phraseBegin), entry.text);
    }
}

TEST(LyricFile, FaultsNameTheFileAndLine)
{
    struct Case {
        const char* text;
        std::string error;
    };
    const Case cases[] = {
        {"words without a time\n", "a.lrc:1: expected a time tag like [01:02.50] at the start of the line"},
        {"\n[00:01.00-00:0x.00] a\n", "a.lrc:2: unreadable time tag [00:01.00-00:0x.00]: expected [mm:ss.xx] or [mm:ss.xx-mm:ss.xx]"},
        {"[00:03.00-00:02.00] a\n", "a.lrc:1: time tag [00:03.00-00:02.00] ends before it starts"},
        {"[00:01.00 a\n", "a.lrc:1: unclosed tag '[00:01.00 a'"},
        {"[:x] a\n", "a.lrc:1: unreadable tag [:x]: expected a time like [01:02.50] or a tag like [ar:Artist]"},
        {"[offset:soon]\n", "a.lrc:1: unreadable offset [offset:soon]: expected whole milliseconds like [offset:+250]"},
        {"[offset:1]\n[offset:2]\n", "a.lrc:2: a second offset tag: the file has one offset"},
        {"[ar:Me] hello\n", "a.lrc:1: text after a tag like [ar:Artist]: lyrics need a time tag"},
        {"[ar:Me][00:01.00] hello\n", "a.lrc:1: a line holds time tags or tags like [ar:Artist], not both"},
        {"[00:01.00-00:02.00] <00:01.00 a\n", "a.lrc:1: unclosed word stamp '<00:01.00 a'"},
        {"[00:01.00-00:02.00] <00:1x.00>a\n", "a.lrc:1: unreadable word stamp <00:1x.00>: expected <mm:ss.xx>"},
        {"[00:01.00-00:02.00] <00:00.50>a\n", "a.lrc:1: word stamp <00:00.50> is earlier than the line's start 00:01.000"},
        {"[00:01.00-00:03.00] <00:02.00>a <00:01.50>b\n",
         "a.lrc:1: word stamp <00:01.50> is earlier than the stamp before it, 00:02.000"},
        {"[00:01.00-00:03.00] <00:01.00>a <00:01.50> <00:02.00>b\n", "a.lrc:1: word stamp <00:01.50> has no words after it"},
        {"[00:01.00-00:03.00] a <00:03.00>b\n", "a.lrc:1: the words 'b' start at 00:03.000, not before the line ends at 00:03.000"},
        {"[00:01.00] a <00:03.00>b\n[00:02.00] c\n",
         "a.lrc:1: the words 'b' start at 00:03.000, not before the line ends at 00:02.000"},
        {"[00:01.00-00:03.00] a <00:02.00>\n", "a.lrc:1: the closing stamp 00:02.000 differs from the line's end 00:03.000"},
        {"[00:01.00][00:02.00] a <00:01.50>b\n", "a.lrc:1: word stamps need a line with a single time tag"},
        {"[00:01.00-00:02.00]\n", "a.lrc:1: a timed line with no words"},
    };
    for (const Case& c : cases) {
        LyricParse parse = parseLyrics(c.text, "a.lrc", std::nullopt);
        ASSERT_EQ(parse.errors.size(), 1u) << "'" << c.text << "' gave " << parse.errors.size() << " errors"
                                            << (parse.errors.empty() ? "" : ", first: " + parse.errors.front());
        EXPECT_EQ(parse.errors.front(), c.error);
    }

    // Every faulty line is reported, not only the first.
    LyricParse several = parseLyrics("oops\n[00:01.00] fine\n[99:99.99] bad\n", "b.lrc", std::nullopt);
    ASSERT_EQ(several.errors.size(), 2u);
    EXPECT_EQ(several.errors[0].substr(0, 8), "b.lrc:1:");
    EXPECT_EQ(several.errors[1].substr(0, 8), "b.lrc:3:");
}

TEST(LyricFile, TheShowNeedsExactlyItsEntryCount)
{
    struct Case {
        int entries;
        std::string error;
    };
    const Case cases[] = {
        {kLyricEntryCount, ""},
        {kLyricEntryCount - 1, "x.txt:86: only 86 entries: the show needs exactly 87"},
        {kLyricEntryCount + 1,
         "x.txt:88: entry 88 'word87' is one too many: the show needs exactly 87 entries, the file has 88"},
        {0, "x.txt:1: only 0 entries: the show needs exactly 87"},
    };
    for (const Case& c : cases) {
        LyricParse parse = parseLyrics(numberedLines(c.entries), "x.txt");
        if (c.error.empty()) {
            EXPECT_TRUE(parse.ok()) << parse.errors.front();
            EXPECT_EQ(int(parse.sheet.entries.size()), kLyricEntryCount);
        } else {
            ASSERT_EQ(parse.errors.size(), 1u) << c.entries;
            EXPECT_EQ(parse.errors.front(), c.error);
        }
    }
}

TEST(TextTiming, TheFirstEntryGoesWithTheLastTextureName)
{
    EXPECT_STREQ(lineTextureName(0).data(), "086");
    EXPECT_STREQ(lineTextureName(1).data(), "085");
    EXPECT_STREQ(lineTextureName(43).data(), "043");
    EXPECT_STREQ(lineTextureName(86).data(), "000");
    std::set<std::string> names;
    for (int i = 0; i < kLyricEntryCount; ++i)
        names.insert(lineTextureName(i).data());
    EXPECT_EQ(names.size(), std::size_t(kLyricEntryCount));
    EXPECT_EQ(*names.begin(), "000");
    EXPECT_EQ(*names.rbegin(), "086");
}

TEST(TextTiming, PairsReadBackWithTheShowsScanfInEntryOrder)
{
    LyricParse parse = parseLyrics(numberedLines(kLyricEntryCount) + "[offset:-7]\n", "x.txt");
    ASSERT_TRUE(parse.ok());
    std::string text = formatTextTiming(parse.sheet.entries);
    // Read back by the show's own reader.
    double lineStart[kLyricLineCount] = {};
    double lineEnd[kLyricLineCount] = {};
    TimingRead read = readTimingText(text, lineStart, lineEnd);
    ASSERT_EQ(read.pairsRead, kLyricLineCount) << read.stopReason;
    for (int i = 0; i < kLyricLineCount; ++i) {
        EXPECT_NEAR(lineStart[i], parse.sheet.entries[i].start, 5e-4);
        EXPECT_NEAR(lineEnd[i], parse.sheet.entries[i].end, 5e-4);
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kLyricLineCount) << "nothing after the last pair";
    EXPECT_EQ(text.substr(0, 12), "0.007 0.407\n");
}
