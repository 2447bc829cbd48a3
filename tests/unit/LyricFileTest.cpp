// The lyric file: times, lines and word stamps to entries, LRC import, offsets, faults with
// file and line, the mapping of entries to the show's timing lines and texture names, and the
// same lyrics as ASS karaoke subtitles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/support/EncodedText.h"
#include "tests/support/TimingText.h"
#include "tools/lib/lyrics/AssKaraoke.h"
#include "tools/lib/lyrics/LyricBuild.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/lyrics/TextTiming.h"

using namespace std::string_literals;

namespace {

// Chinese lyrics as a music service exports them, long enough for detection to go on.
const std::string kChineseLyrics = "[ti:月亮代表我的心]\n"
                                   "[00:12.30]你问我爱你有多深\n"
                                   "[00:18.45]我爱你有几分\n"
                                   "[00:24.10]我的情也真 我的爱也真\n"
                                   "[00:30.80]月亮代表我的心\n";

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

void expectEntries(const std::vector<LyricEntry>& entries, const std::vector<ExpectedEntry>& expected)
{
    ASSERT_EQ(entries.size(), expected.size()) << describe(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_NEAR(entries[i].start, expected[i].start, 1e-9) << describe(entries);
        EXPECT_NEAR(entries[i].end, expected[i].end, 1e-9) << describe(entries);
        EXPECT_EQ(entries[i].text, expected[i].text);
        EXPECT_EQ(entries[i].row, expected[i].row);
        EXPECT_EQ(entries[i].sourceLine, expected[i].line);
    }
}

// A file of `count` explicit one-entry lines, half a second apart, each shown for 0.4 s.
std::string numberedLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char line[64];
        int second = i / 2;
        std::snprintf(line, sizeof line, "[%02d:%02d.%02d-%02d:%02d.%02d] word%d\n", second / 60, second % 60,
                      (i % 2) * 50, second / 60, second % 60, (i % 2) * 50 + 40, i);
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
        {"01:02:50", 62500},  {"01:02:5:0", {}},   {"01:02.5:0", {}},
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
        LyricParse parse = parseLyrics(c.text, "song.txt");
        ASSERT_TRUE(parse.ok()) << parse.errors.front();
        const std::vector<LyricEntry>& entries = parse.sheet.entries;
        expectEntries(entries, c.entries);
    }
}

TEST(LyricFile, RowsHoldTheWholePhraseAndWhereEachEntrySitsInIt)
{
    LyricParse parse = parseLyrics("[00:01.00-00:04.00]  <00:01.00>Sing<00:02.00>ing  <00:03.00>loud \n"
                                   "[00:05.00-00:06.00] plain words\n",
                                   "song.txt");
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
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"words without a time\n",
         "a.lrc:1: expected a time tag like [01:02.50] at the start of the line, not 'words without a time'"},
        // Control characters never reach a message raw: a NUL would cut it, a CR overwrite it.
        {"oops\0 and\x1b[2J more\n"s,
         "a.lrc:1: expected a time tag like [01:02.50] at the start of the line, not 'oops\\x00 and\\x1B[2J more'"},
        {"[00:01.00 a\0b\n"s, "a.lrc:1: unclosed tag '[00:01.00 a\\x00b'"},
        {"[00:01.00] a\0b\n"s,
         "a.lrc:1: the words hold the control character U+0000, which cannot be drawn: remove it from the line"},
        {"[00:01.00] a\xc2\x85" "b\n",
         "a.lrc:1: the words hold the control character U+0085, which cannot be drawn: remove it from the line"},
        {"[00:01.00] " + std::string(1001, 'a') + "\n",
         "a.lrc:1: the line holds 1012 characters, more than the 1000 the screen can show: split it into timed lines"},
        {"[00:01.00 " + std::string(70, 'b') + "\n", "a.lrc:1: unclosed tag '[00:01.00 " + std::string(50, 'b') + "\u2026'"},
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
        {"[00:01.00-00:02.00] <00:00.50>a\n", "a.lrc:1: word stamp <00:00.50> is earlier than the line's start 0:01.00"},
        {"[00:01.00-00:03.00] <00:02.00>a <00:01.50>b\n",
         "a.lrc:1: word stamp <00:01.50> is earlier than the stamp before it, 0:02.00"},
        {"[00:01.00-00:03.00] <00:01.00>a <00:01.50> <00:02.00>b\n", "a.lrc:1: word stamp <00:01.50> has no words after it"},
        {"[00:01.00-00:03.00] a <00:03.00>b\n", "a.lrc:1: the words 'b' start at 0:03.00, not before the line ends at 0:03.00"},
        {"[00:01.00] a <00:03.00>b\n[00:02.00] c\n",
         "a.lrc:1: the words 'b' start at 0:03.00, not before the line ends at 0:02.00"},
        {"[00:01.00-00:03.00] a <00:02.00>\n", "a.lrc:1: the closing stamp 0:02.00 differs from the line's end 0:03.00"},
        {"[00:30.00][00:05.00] <00:04.00>a\n",
         "a.lrc:1: the copy at 0:05.00: word stamp <00:04.00> is earlier than the line's start 0:05.00"},
        {"[00:01.00][00:30.00] a <00:01.50>b\n[00:01.20] c\n",
         "a.lrc:1: the copy at 0:01.00: the words 'b' start at 0:01.50, not before the line ends at 0:01.20"},
    };
    for (const Case& c : cases) {
        LyricParse parse = parseLyrics(c.text, "a.lrc");
        ASSERT_EQ(parse.errors.size(), 1u) << "'" << c.text << "' gave " << parse.errors.size() << " errors"
                                            << (parse.errors.empty() ? "" : ", first: " + parse.errors.front());
        EXPECT_EQ(parse.errors.front(), c.error);
    }

    // Every faulty line is reported, not only the first.
    LyricParse several = parseLyrics("oops\n[00:01.00] fine\n[99:99.99] bad\n", "b.lrc");
    ASSERT_EQ(several.errors.size(), 2u);
    EXPECT_EQ(several.errors[0].substr(0, 8), "b.lrc:1:");
    EXPECT_EQ(several.errors[1].substr(0, 8), "b.lrc:3:");
}

TEST(LyricFile, LrcQuirksGiveTheseEntriesAndWarnings)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<ExpectedEntry> entries;  // all of them when `count` is not set
        std::vector<std::string> warnings;
        std::vector<std::string> errors;
        std::optional<int> count;
        ShowFit fit = {};
        int firstRowLines = 1;  // the lines the first row is set in
    };
    const std::string longLine = [] {
        std::string words;
        while (words.size() < 300)
            words += "over the hills and far away ";
        return words.substr(0, 299) + "!";
    }();
    const Case cases[] = {
        {"byte-order mark, CR LF, tags and text in other scripts",
         "\xEF\xBB\xBF[ti:Été]\r\n[length: 03:10]\r\n[00:01.00] Café\r\n[00:02.50] Лето 夏\r\n",
         {{1.0, 2.5, "Café", 0, 3}, {2.5, 6.5, "Лето 夏", 1, 4}}, {}, {}, {}},
        {"[mm:ss:xx] reads as [mm:ss.xx]", "[00:01:50] a\n[00:02:25] b\n",
         {{1.5, 2.25, "a", 0, 1}, {2.25, 6.25, "b", 1, 2}}, {}, {}, {}},
        {"several time tags repeat the line", "[00:01.00][00:03.00] La la\n[00:02.00] Mid\n[00:04.00]\n",
         {{1.0, 2.0, "La la", 0, 1}, {3.0, 4.0, "La la", 1, 1}, {2.0, 3.0, "Mid", 2, 2}}, {}, {}, {}},
        {"word stamps follow the copy they are written for",
         "[00:20.00][00:01.00] <00:01.00>Hey <00:01.50>you\n[00:03.00]\n[00:22.00]\n",
         {{1.0, 3.0, "Hey", 0, 1}, {1.5, 3.0, "you", 0, 1}, {20.0, 22.0, "Hey", 1, 1}, {20.5, 22.0, "you", 1, 1}},
         {}, {}, {}},
        {"a blank timed line is a pause; a blank range shows nothing",
         "[00:01.00] One\n[00:02.00]\n[00:05.00] Two\n[00:06.00-00:07.00]\n",
         {{1.0, 2.0, "One", 0, 1}, {5.0, 6.0, "Two", 1, 3}}, {"x.lrc:4: a timed line with no words shows nothing"}, {},
         {}},
        {"word stamps build the line up; a last stamp ends it",
         "[00:04.00] <00:04.10>a <00:04.70>b <00:05.30>\n", {{4.1, 5.3, "a", 0, 1}, {4.7, 5.3, "b", 0, 1}}, {}, {}, {}},
        {"entries starting at or after 45 s are left out with one warning",
         "[00:44.00] In\n[01:50.00][00:30.00] Both\n[00:45.00] Out\n[00:44.50-00:47.00] Last <00:45.50>word\n",
         {{44.0, 44.5, "In", 0, 1}, {30.0, 44.0, "Both", 1, 2}, {44.5, 47.0, "Last", 2, 4}},
         {"x.lrc:3: 3 entries left out: the first, 'Out', starts at 0:45.00, after the lyric scene ends at 45 s"}, {},
         {}},
        {"fewer entries than slots", numberedLines(kLyricEntryCount - 1), {}, {}, {}, kLyricEntryCount - 1},
        {"more entries than slots", numberedLines(kLyricEntryCount + 1), {}, {},
         {"x.lrc:88: entry 88 'word87' at 0:43.50 is one too many: the show has 87 slots and the lyric scene holds 88 "
          "entries"},
         kLyricEntryCount + 1},
        {"a whole song keeps its entries up to the music's end",
         "[00:44.00] In\n[01:50.00] Late\n[02:05.00] After\n",
         {{44.0, 110.0, "In", 0, 1}, {110.0, 125.0, "Late", 1, 2}},
         {"x.lrc:3: 1 entry left out: the first, 'After', starts at 2:05.00, after the music ends at 2:00.00"}, {}, {},
         wholeSongFit(120.0)},
        {"a part of the song: entries before it are left out and the rest move with it",
         "[00:50.00] Before\n[00:58.00] Also\n[01:05.00] Kept <01:06.50>too\n[01:35.00] Past\n",
         {{5.0, 35.0, "Kept", 0, 3}, {6.5, 35.0, "too", 0, 3}},
         {"x.lrc:2: 2 entries left out: the last, 'Also', starts at 0:58.00, before the part of the song taken begins "
          "at 1:00.00",
          "x.lrc:4: 1 entry left out: the first, 'Past', starts at 0:35.00, after the music ends at 0:30.00"},
         {}, {}, wholeSongFit(30.0, 60.0)},
        {"a whole song holds 1000 entries", numberedLines(kMostLyricEntries), {}, {}, {}, kMostLyricEntries,
         wholeSongFit(600.0)},
        {"the 1001st entry of a whole song is named", numberedLines(kMostLyricEntries + 1), {}, {},
         {"x.lrc:1001: entry 1001 'word1000' at 8:20.00 is one too many: the show has 1000 slots and the song holds "
          "1001 entries"},
         kMostLyricEntries + 1, wholeSongFit(600.0)},
        {"too many words at once are grouped, never inside a word",
         "[00:10.00-00:14.00] a <00:10.10>b <00:10.20>c <00:10.30>d <00:10.40>Sing<00:10.50>ing <00:10.60>e "
         "<00:10.70>f <00:10.80>g <00:10.90>h <00:11.00>i <00:11.10>j <00:11.20>k\n",
         {{10.0, 14.0, "a", 0, 1}, {10.1, 14.0, "b", 0, 1}, {10.2, 14.0, "c", 0, 1}, {10.3, 14.0, "d", 0, 1},
          {10.4, 14.0, "Singing e", 0, 1}, {10.7, 14.0, "f", 0, 1}, {10.8, 14.0, "g", 0, 1}, {10.9, 14.0, "h", 0, 1},
          {11.0, 14.0, "i", 0, 1}, {11.1, 14.0, "j k", 0, 1}},
         {"x.lrc:1: its word stamps would put 13 entries on screen at 0:11.20, more than the show's 10: its 12 words "
          "are grouped into 10 entries"},
         {}, {}},
        {"square-bracket stamps inside the words are word stamps, never text",
         "[00:22.30]la la[00:25.745]la la [00:27.00] la\n[00:30.00] next\n",
         {{22.3, 30.0, "la la", 0, 1}, {25.745, 30.0, "la la", 0, 1}, {27.0, 30.0, "la", 0, 1}, {30.0, 34.0, "next", 1, 2}},
         {}, {}, {}},
        {"UTF-16 with a byte-order mark",
         "\xff\xfe"s + encoded("[00:01.00] こんにちは\r\n[00:03.00] 世界 ☀\r\n", "UTF-16LE"),
         {{1.0, 3.0, "こんにちは", 0, 1}, {3.0, 7.0, "世界 ☀", 1, 2}}, {}, {}, {}},
        {"big-endian UTF-16 with a byte-order mark", "\xfe\xff"s + encoded("[00:01.00] Привет\n", "UTF-16BE"),
         {{1.0, 5.0, "Привет", 0, 1}}, {}, {}, {}},
        {"a GBK file is read as what it looks like, with one warning", encoded(kChineseLyrics, "GBK"),
         {{12.3, 18.45, "你问我爱你有多深", 0, 2}, {18.45, 24.1, "我爱你有几分", 1, 3},
          {24.1, 30.8, "我的情也真 我的爱也真", 2, 4}, {30.8, 34.8, "月亮代表我的心", 3, 5}},
         {"x.lrc: not UTF-8; read as GB18030, the encoding it looks like: if the text is wrong, give the file's "
          "encoding with --encoding NAME"},
         {}, {}},
        {"credits stamped at 0:00.0x before the first sung line are left out with one warning",
         "[00:00.01]Title\n[00:00.02]Composer\n[00:00.03]Lyricist\n[00:00.20] First\n[00:03.00] Second\n",
         {{0.2, 3.0, "First", 0, 4}, {3.0, 7.0, "Second", 1, 5}},
         {"x.lrc:1: 3 lines before the first sung line at 0:00.20 left out, each too short to show (the show needs "
          "0.3 s): 'Title', 'Composer', 'Lyricist'"},
         {}, {}},
        {"a line too short is lengthened where the next line leaves room",
         "[00:04.00] <00:04.10>a <00:05.20>b <00:05.30>\n[00:08.00] c\n",
         {{4.1, 5.3, "a", 0, 1}, {5.2, 5.5, "b", 0, 1}, {8.0, 12.0, "c", 1, 2}},
         {"x.lrc:1: 'b' at 0:05.20 would show for 0.100 s, less than the 0.3 s the show needs: it shows until 0:05.50"},
         {}, {}},
        {"a line too short with no room before the next is an error that says what to edit",
         "[00:01.00] a\n[00:10.00] b\n[00:10.10] c\n",
         {{1.0, 10.0, "a", 0, 1}, {10.0, 10.1, "b", 1, 2}, {10.1, 14.1, "c", 2, 3}}, {},
         {"x.lrc:2: 'b' at 0:10.00 shows for 0.100 s inside the lyric scene (0–45 s); it needs 0.3 s: give it a later "
          "end (start the next line later), or join it to its neighbour"},
         {}},
        {"unspaced Chinese word stamps are grouped between characters",
         "[00:10.00-00:14.00] 月<00:10.10>亮<00:10.20>代<00:10.30>表<00:10.40>我<00:10.50>的<00:10.60>心<00:10.70>你"
         "<00:10.80>问<00:10.90>我<00:11.00>爱<00:11.10>你\n",
         {{10.0, 14.0, "月", 0, 1}, {10.1, 14.0, "亮", 0, 1}, {10.2, 14.0, "代", 0, 1}, {10.3, 14.0, "表", 0, 1},
          {10.4, 14.0, "我的", 0, 1}, {10.6, 14.0, "心", 0, 1}, {10.7, 14.0, "你", 0, 1}, {10.8, 14.0, "问", 0, 1},
          {10.9, 14.0, "我", 0, 1}, {11.0, 14.0, "爱你", 0, 1}},
         {"x.lrc:1: its word stamps would put 12 entries on screen at 0:11.10, more than the show's 10: its 12 words "
          "are grouped into 10 entries"},
         {}, {}},
        {"lines ended by CR alone", "[00:01.00] One\r[00:02.00] Two\r", {{1.0, 2.0, "One", 0, 1}, {2.0, 6.0, "Two", 1, 2}},
         {}, {}, {}},
        {"a 300-character line wraps into lines at its spaces", "[00:01.00-00:09.00] " + longLine + "\n",
         {{1.0, 9.0, longLine, 0, 1}}, {}, {}, std::nullopt, {}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LyricBuildOptions options;
        options.fit = c.fit;
        LyricBuild build = buildLyrics(c.text, "x.lrc", options);
        EXPECT_EQ(build.errors, c.errors);
        EXPECT_EQ(build.warnings, c.warnings);
        const std::vector<LyricEntry>& entries = build.sheet.entries;
        if (c.count) {
            EXPECT_EQ(int(entries.size()), *c.count);
            continue;
        }
        expectEntries(entries, c.entries);
        ASSERT_FALSE(build.rowLines.empty());
        EXPECT_EQ(build.rowLines.front(), c.firstRowLines);
    }
}

TEST(TextTiming, TheFirstEntryGoesWithTheLastTextureName)
{
    EXPECT_STREQ(lineTextureName(0).data(), "086");
    EXPECT_STREQ(lineTextureName(1).data(), "085");
    EXPECT_STREQ(lineTextureName(43).data(), "043");
    EXPECT_STREQ(lineTextureName(86).data(), "000");
    // Of N entries, the first shows N − 1.
    EXPECT_STREQ(lineTextureName(0, 400).data(), "399");
    EXPECT_STREQ(lineTextureName(399, 400).data(), "000");
    EXPECT_STREQ(lineTextureName(0, kMostLyricEntries).data(), "999");
    EXPECT_STREQ(lineTextureName(0, 1).data(), "000");
    std::set<std::string> names;
    for (int i = 0; i < kLyricEntryCount; ++i)
        names.insert(lineTextureName(i).data());
    EXPECT_EQ(names.size(), std::size_t(kLyricEntryCount));
    EXPECT_EQ(*names.begin(), "000");
    EXPECT_EQ(*names.rbegin(), "086");
}

TEST(TextTiming, PairsReadBackWithTheShowsScanfInEntryOrderAndUnusedSlotsNeverShow)
{
    const int used = kLyricEntryCount - 2;
    LyricParse parse = parseLyrics(numberedLines(used) + "[offset:-7]\n", "x.txt");
    ASSERT_TRUE(parse.ok());
    std::string text = formatTextTiming(parse.sheet.entries, kLyricEntryCount);
    // Read back by the show's own reader.
    double lineStart[kLyricLineCount] = {};
    double lineEnd[kLyricLineCount] = {};
    TimingRead read = readTimingText(text, lineStart, lineEnd);
    ASSERT_EQ(read.pairsRead, kLyricLineCount) << read.stopReason;
    for (int i = 0; i < used; ++i) {
        EXPECT_NEAR(lineStart[i], parse.sheet.entries[i].start, 5e-4);
        EXPECT_NEAR(lineEnd[i], parse.sheet.entries[i].end, 5e-4);
    }
    for (int i = used; i < kLyricLineCount; ++i)
        EXPECT_FALSE(lineStart[i] < lineEnd[i]) << "slot " << i << " opens a window";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kLyricLineCount) << "nothing after the last pair";
    EXPECT_EQ(text.substr(0, 12), "0.007 0.407\n");
}

TEST(AssKaraoke, EachRowIsOneEventWhoseWordsFillUntilTheNextWordStarts)
{
    struct Case {
        std::string name;
        std::string lyrics;
        std::vector<std::string> events;  // the Text field of each event, in order
        std::vector<std::string> times;   // "start,end" of each event
    };
    const std::vector<Case> cases = {
        {"word stamps",
         "[00:07.50-00:09.73] <00:07.50>Yellow <00:07.97>windows <00:08.55>in\n",
         {"{\\fad(150,200)}{\\kf47}Yellow {\\kf58}windows {\\kf58}in"},
         {"0:00:07.50,0:00:09.73"}},
        {"words before the first stamp start with the line; the last word keeps within the row",
         "[01:02.00-01:02.30] La la <01:02.10>la\n",
         {"{\\fad(150,200)}{\\kf10}La la {\\kf10}la"},
         {"0:01:02.00,0:01:02.30"}},
        {"a plain line is one word group; rows follow the file",
         "[00:01.00] one\n[00:02.50-00:03.00] two\n",
         {"{\\fad(150,200)}{\\kf150}one", "{\\fad(150,200)}{\\kf50}two"},
         {"0:00:01.00,0:00:02.50", "0:00:02.50,0:00:03.00"}},
        {"braces and line-break escapes stay text",
         "[00:01.00-00:02.00] {a} b\\Nc\n",
         {"{\\fad(150,200)}{\\kf100}\\{a\\} b\\\u2060Nc"},
         {"0:00:01.00,0:00:02.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LyricParse parse = parseLyrics(c.lyrics, "song.lrc");
        ASSERT_TRUE(parse.ok()) << (parse.errors.empty() ? "" : parse.errors.front());
        std::string ass = assKaraoke(parse.sheet, {1280, 720, 48});
        EXPECT_NE(ass.find("PlayResX: 1280\nPlayResY: 720\n"), std::string::npos) << ass;
        EXPECT_NE(ass.find("Style: Lyric,DejaVu Sans,48,"), std::string::npos) << ass;
        std::vector<std::string> events, times;
        const std::string prefix = "Dialogue: 0,";
        for (std::size_t at = ass.find(prefix); at != std::string::npos; at = ass.find(prefix, at + 1)) {
            std::string line = ass.substr(at + prefix.size(), ass.find('\n', at) - at - prefix.size());
            times.push_back(line.substr(0, line.find(",Lyric,")));
            events.push_back(line.substr(line.find(",,0,0,0,,") + 9));
        }
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(times, c.times);
    }
    EXPECT_EQ(assTime(3725.456), "1:02:05.46");
    EXPECT_EQ(assTime(0.004), "0:00:00.00");
}

TEST(LyricBuild, AStopRequestEndsTheBuildWhereItIsAndDrawsNothing)
{
    const std::string text = numberedLines(60);
    // Asked at each stage and row: a stop at any of them ends the build there.
    for (int allowed : {0, 1, 2, 20}) {
        LyricBuildOptions options;
        int asked = 0;
        options.stopRequested = [&] { return ++asked > allowed; };
        LyricBuild build = buildLyrics(text, "x.lrc", options);
        EXPECT_TRUE(build.stopped) << allowed;
        EXPECT_FALSE(build.ok());
        EXPECT_LE(asked, allowed + 1) << "the build went on after the stop";
    }
    LyricBuild build = buildLyrics(text, "x.lrc");
    ASSERT_TRUE(build.ok()) << build.errors.front();
    int drawn = 0;
    EXPECT_FALSE(drawLyricImages(build, [&] { return ++drawn > 5; }));
    std::optional<std::vector<RgbaImage>> images = drawLyricImages(build);
    ASSERT_TRUE(images);
    EXPECT_EQ(images->size(), std::size_t(kLyricEntryCount));
}

TEST(LyricBuild, ColourGlyphsKeepTheirColoursAndTextTakesTheFill)
{
    LyricBuild build = buildLyrics("[00:01.00-00:03.00] ok <00:02.00>\U0001F600\n", "x.lrc");
    ASSERT_TRUE(build.ok()) << build.errors.front();
    std::optional<std::vector<RgbaImage>> images = drawLyricImages(build);
    ASSERT_TRUE(images);
    // Opaque texels: the letters' fill is near white; the face's yellow has far less blue than red.
    auto opaque = [](const RgbaImage& image, auto test) {
        int count = 0;
        for (std::size_t i = std::size_t(image.width) * 4; i < image.pixels.size(); i += 4)
            count += image.pixels[i + 3] == 255 && test(&image.pixels[i]);
        return count;
    };
    auto yellow = [](const uint8_t* texel) { return texel[0] > 200 && texel[2] < 100; };
    auto pale = [](const uint8_t* texel) { return texel[0] > 230 && texel[1] > 200 && texel[2] > 220; };
    EXPECT_GT(opaque((*images)[0], pale), 100);
    EXPECT_EQ(opaque((*images)[0], yellow), 0);
    EXPECT_GT(opaque((*images)[1], yellow), 200);
}
