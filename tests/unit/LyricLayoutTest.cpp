// Where lyric entries go on screen and what the lyrics tool refuses: the header row that
// carries the place, slots for rows shown together, entries inside their centred phrase,
// where a long phrase may wrap, the schedule and overlap checks, and how many of one kind of
// message reach the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/LayoutHeader.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/lyrics/LyricLayout.h"
#include "tools/lib/lyrics/LyricReport.h"

namespace {

LyricSheet sheetOf(const char* text)
{
    LyricParse parse = parseLyrics(text, "s.txt");
    EXPECT_TRUE(parse.ok()) << (parse.errors.empty() ? "" : parse.errors.front());
    return parse.sheet;
}

}  // namespace

TEST(LayoutHeader, CarriesTheMarkerAndThePlaceInTheFirstRow)
{
    const TextPlacement placements[] = {{0, 0},         {1919, 1079}, {256, 255},
                                        {255, 256},     {65535, 65535}, {730, 412},
                                        {165, 80, true, 1920, 1080}, {0, 0, true, 1, 65535}, {3, 4, true, 258, 1}};
    for (const TextPlacement& placement : placements) {
        std::vector<uint8_t> image(5 * 3 * 4, 77);
        ASSERT_TRUE(writeLayoutHeader(image.data(), 5, placement));
        std::vector<uint8_t> expectedRow = {83, 86, uint8_t(placement.stretched ? 2 : 1), 0,
                                            uint8_t(placement.left / 256), uint8_t(placement.left % 256),
                                            uint8_t(placement.top / 256), uint8_t(placement.top % 256),
                                            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        if (placement.stretched)
            std::copy_n(std::vector<uint8_t>{uint8_t(placement.frameWidth / 256), uint8_t(placement.frameWidth % 256),
                                             uint8_t(placement.frameHeight / 256), uint8_t(placement.frameHeight % 256)}
                            .begin(),
                        4, expectedRow.begin() + 8);
        EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 20), expectedRow);
        EXPECT_EQ(image[20], 77) << "the header wrote past its row";
        EXPECT_EQ(readLayoutHeader(image.data(), 5, 3), placement);
    }

    std::vector<uint8_t> row(8 * 4, 0);
    const TextPlacement refused[] = {{-1, 0}, {0, -1}, {65536, 0}, {0, 70000}, {0, 0, true, 0, 1080},
                                     {0, 0, true, 1920, 65536}, {-1, 0, true, 1920, 1080}};
    for (const TextPlacement& placement : refused)
        EXPECT_FALSE(writeLayoutHeader(row.data(), 8, placement))
            << placement.left << "," << placement.top << " in " << placement.frameWidth << "x" << placement.frameHeight;
    EXPECT_FALSE(writeLayoutHeader(row.data(), 1, {0, 0}));
    EXPECT_FALSE(writeLayoutHeader(row.data(), 2, {0, 0, true, 1920, 1080})) << "no room for the frame's size";
}

TEST(LayoutHeader, ImagesWithoutTheMarkerHaveNoPlace)
{
    struct Case {
        std::vector<uint8_t> firstTexels;
        int width;
        int height;
        bool placed;
    };
    const Case cases[] = {
        {{83, 86, 1, 0, 0, 10, 0, 20}, 2, 2, true},
        {{255, 255, 255, 255, 0, 10, 0, 20}, 2, 2, false},   // a photo's opaque corner
        {{83, 86, 3, 0, 0, 10, 0, 20}, 3, 2, false},         // another version
        {{83, 86, 1, 255, 0, 10, 0, 20}, 2, 2, false},       // visible, so not a header
        {{86, 83, 1, 0, 0, 10, 0, 20}, 2, 2, false},
        {{83, 86, 1, 0, 0, 10, 0, 20}, 2, 1, false},         // no room for text
        {{83, 86, 1, 0, 0, 10, 0, 20}, 1, 2, false},         // no room for the place
        {{83, 86, 2, 0, 0, 10, 0, 20, 7, 128, 4, 56}, 3, 2, true},
        {{83, 86, 2, 0, 0, 10, 0, 20, 7, 128, 4, 56}, 2, 2, false},  // no room for the frame's size
        {{83, 86, 2, 0, 0, 10, 0, 20, 0, 0, 4, 56}, 3, 2, false},    // a frame without width
        {{83, 86, 2, 0, 0, 10, 0, 20, 7, 128, 0, 0}, 3, 2, false},   // or height
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> image = c.firstTexels;
        image.resize(std::max<std::size_t>(image.size(), std::size_t(std::max(c.width, 3)) * std::max(c.height, 2) * 4), 0);
        EXPECT_EQ(readLayoutHeader(image.data(), c.width, c.height).has_value(), c.placed)
            << int(c.firstTexels[0]) << " " << int(c.firstTexels[1]) << " " << int(c.firstTexels[2]) << " "
            << int(c.firstTexels[3]) << " " << c.width << "x" << c.height;
    }
}

TEST(LyricLayout, RowsTakeTheLowestSlotFreeForTheirWholeTime)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> rows;
        std::vector<int> slots;
        std::vector<int> lines = {};  // each row's lines; one each when empty
    };
    const Case cases[] = {
        {"one after another share a slot", {{0, 2}, {2, 4}, {4, 6}}, {0, 0, 0}},
        {"overlapping rows alternate", {{0, 3}, {2, 5}, {4, 7}, {6, 9}}, {0, 1, 0, 1}},
        {"a freed lower slot is taken again", {{0, 10}, {1, 3}, {2, 4}, {3.5, 5}}, {0, 1, 2, 1}},
        {"file order does not matter, time does", {{4, 7}, {0, 5}}, {1, 0}},
        {"three at once need three", {{0, 9}, {1, 9}, {2, 9}}, {0, 1, 2}},
        // A wrapped row takes a slot per line, all free for its whole time.
        {"three lines, then one below them", {{0, 9}, {1, 9}}, {0, 3}, {3, 1}},
        {"a gap too small is passed over", {{0, 9}, {0, 2}, {1, 9}, {3, 9}}, {0, 1, 2, 3}, {1, 1, 1, 2}},
        {"a gap wide enough is taken", {{0, 9}, {0, 2}, {0, 2}, {3, 9}}, {0, 1, 2, 1}, {1, 1, 1, 2}},
    };
    for (const Case& c : cases) {
        std::vector<LyricRow> rows;
        for (auto [start, end] : c.rows) {
            LyricRow row;
            row.start = start;
            row.end = end;
            rows.push_back(row);
        }
        EXPECT_EQ(assignSlots(rows, c.lines), c.slots) << c.name;
    }
}

TEST(LyricLayout, LongPhrasesMayWrapOnlyBetweenEntriesUnlessAnEntryAloneIsTooWide)
{
    // Ten pixels a byte, without trailing spaces; 100 is the widest line.
    auto width = [](std::string_view phrase) {
        return [phrase](std::size_t begin, std::size_t end) {
            while (end > begin && phrase[end - 1] == ' ')
                --end;
            return int(end - begin) * 10;
        };
    };
    struct Case {
        const char* name;
        std::string phrase;
        std::vector<std::pair<std::size_t, std::size_t>> entries;
        std::vector<LineBreak> breaks;
    };
    const Case cases[] = {
        {"one entry breaks at its spaces", "aaa bbb ccc", {{0, 11}}, {{4, false}, {8, false}, {11, false}}},
        {"entries break only where one begins", "aaa bbb ccc ddd", {{0, 7}, {8, 15}},
         {{8, false}, {15, false}}},
        {"a stamp inside a word is no place to break", "Singing along", {{0, 4}, {4, 7}, {8, 13}},
         {{8, false}, {13, false}}},
        {"an entry too wide alone breaks inside, and has its lines to itself",
         "ab cdefgh ijklmn opqrst uv", {{0, 2}, {3, 23}, {24, 26}},
         {{3, true}, {10, false}, {17, false}, {24, true}, {26, false}}},
        // Chinese breaks between any two characters; 我的 is 6 bytes.
        {"Chinese entries of a character or two", "我的情也真", {{0, 6}, {6, 9}, {9, 15}},
         {{6, false}, {9, false}, {15, false}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(allowedRowBreaks(c.phrase, c.entries, width(c.phrase), 100), c.breaks) << c.name;
    }
}

TEST(LyricLayout, LinesOfAWrappedRowSitOnePitchApartAndKeepTheirOwnMargins)
{
    // One row in two lines: its second entry begins the second line.
    LyricSheet sheet = sheetOf("[00:01.00-00:05.00] ab <00:02.00>cd\n");
    LayoutStyle style;
    const int pitch = style.ascent + style.descent + 2 * style.margin + style.slotGap;
    RowMeasure wrapped{-300, 300, {{-300, -50, 300, 10}, {-100, pitch - 50, 100, pitch + 10}}, 2};
    std::vector<EntryPlacement> placements = placeEntries(sheet, {wrapped}, style);
    ASSERT_EQ(placements.size(), 2u);
    EXPECT_EQ(placements[0].lineStep, pitch);
    EXPECT_EQ(placements[1].rect.top - placements[0].rect.top, pitch);
    // Not on one line, so their margins are not shared.
    EXPECT_EQ(placements[0].rect.right, placements[0].originX + 300 + style.margin);
    EXPECT_EQ(placements[1].rect.left, placements[1].originX - 100 - style.margin);
    // The lines sit where two rows shown together would.
    LyricSheet twoRows = sheetOf("[00:01.00-00:05.00] ab\n[00:01.00-00:05.00] cd\n");
    std::vector<EntryPlacement> rows =
        placeEntries(twoRows, {{-300, 300, {{-300, -50, 300, 10}}}, {-100, 100, {{-100, -50, 100, 10}}}}, style);
    EXPECT_EQ(placements[0].baselineY, rows[0].baselineY);
    EXPECT_EQ(placements[1].rect.top, rows[1].rect.top);
    EXPECT_EQ(checkPlacements(sheet, placements, "s.txt"), std::vector<std::string>{});
}

TEST(LyricLayout, EntriesSitWhereTheirWordsFallInTheCentredPhrase)
{
    // Two rows shown together: slots 0 and 1. Row 0 has two entries whose margins would meet.
    LyricSheet sheet = sheetOf("[00:01.00-00:05.00] ab <00:02.00>cd\n[00:03.00-00:06.00] e\n");
    RowMeasure first{0, 600, {{0, -50, 100, 10}, {120, -48, 600, 12}}};
    RowMeasure second{-4, 196, {{-4, -40, 196, 0}}};
    LayoutStyle style;
    style.margin = 14;
    style.ascent = 60;
    style.descent = 15;
    style.slotGap = 6;
    style.centreY = 560;
    std::vector<EntryPlacement> placements = placeEntries(sheet, {first, second}, style);
    ASSERT_EQ(placements.size(), 3u);

    const int pitch = 60 + 15 + 28 + 6;
    const int blockTop = 560 - (2 * pitch - 6) / 2;
    const int originX = (1920 - 600) / 2;
    const int baseline0 = blockTop + 14 + 60;
    EXPECT_EQ(placements[0].originX, originX);
    EXPECT_EQ(placements[0].baselineY, baseline0);
    // The ink gap is 20 px, the margins 28: they meet at the middle of the gap.
    EXPECT_EQ(placements[0].rect, (PixelRect{originX - 14, baseline0 - 64, originX + 110, baseline0 + 24}));
    EXPECT_EQ(placements[1].rect, (PixelRect{originX + 110, baseline0 - 62, originX + 614, baseline0 + 26}));
    EXPECT_EQ(placements[2].slot, 1);
    EXPECT_EQ(placements[2].baselineY, baseline0 + pitch);
    EXPECT_EQ(placements[2].rect.left, (1920 - 200) / 2 - 14);
    EXPECT_EQ(placements[2].rect.right, (1920 - 200) / 2 + 200 + 14);

    EXPECT_EQ(checkPlacements(sheet, placements, "s.txt"), std::vector<std::string>{});
    EXPECT_FALSE(placements[1].rect.overlaps(placements[2].rect));
}

TEST(LyricLayout, EntriesShownTogetherMustNotCoverEachOtherOrLeaveTheFrame)
{
    LyricSheet sheet = sheetOf("[00:01.00-00:03.00] a\n[00:02.00-00:04.00] b\n[00:03.00-00:05.00] c\n");
    struct Case {
        const char* name;
        std::vector<PixelRect> rects;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"apart", {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 0, 10, 10}}, {}},
        {"touching edges", {{0, 0, 10, 10}, {10, 0, 20, 10}, {20, 0, 30, 10}}, {}},
        {"a covers b while both show",
         {{0, 0, 10, 10}, {9, 9, 20, 20}, {30, 0, 40, 10}},
         {"s.txt:2: 'b' covers 'a' of line 1 on screen from 0:02.00 to 0:03.00"}},
        {"a and c share a place but never a moment", {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 0, 10, 10}}, {}},
        {"off the right edge",
         {{0, 0, 10, 10}, {1915, 0, 1925, 10}, {30, 0, 40, 10}},
         {"s.txt:2: 'b' at 0:02.00 does not fit on the 1920×1080 screen (1915,0 to 1925,10)"}},
        {"above the top", {{0, -1, 10, 9}, {20, 0, 30, 10}, {30, 0, 40, 10}},
         {"s.txt:1: 'a' at 0:01.00 does not fit on the 1920×1080 screen (0,-1 to 10,9)"}},
    };
    for (const Case& c : cases) {
        std::vector<EntryPlacement> placements(3);
        for (int i = 0; i < 3; ++i)
            placements[i].rect = c.rects[i];
        EXPECT_EQ(checkPlacements(sheet, placements, "s.txt"), c.errors) << c.name;
    }
}

TEST(LyricLayout, EveryEntryShowsLongEnoughInsideTheSceneAndNotTooManyAtOnce)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> errors;
    };
    std::string eleven = "[00:10.00-00:12.00] 1 <00:10.10>2 <00:10.20>3 <00:10.30>4 <00:10.40>5 <00:10.50>6\n"
                         "[00:11.00-00:13.00] 7 <00:11.10>8 <00:11.20>9 <00:11.30>10 <00:11.40>11\n";
    std::string ten = "[00:10.00-00:12.00] 1 <00:10.10>2 <00:10.20>3 <00:10.30>4 <00:10.40>5 <00:10.50>6\n"
                      "[00:12.00-00:13.00] 7 <00:12.10>8 <00:12.20>9 <00:12.30>10 <00:12.40>11\n"
                      "[00:11.00-00:12.00] 12 <00:11.10>13 <00:11.20>14 <00:11.30>15\n";
    const Case cases[] = {
        {"long enough", "[00:01.00-00:01.30] a\n[00:44.70-00:50.00] b\n", {}},
        {"too short", "[00:01.00-00:01.25] a\n",
         {"s.txt:1: 'a' at 0:01.00 shows for 0.250 s inside the lyric scene (0–45 s); it needs 0.3 s"
          ": give it a later end (start the next line later), or join it to its neighbour"}},
        {"a late word in a line", "[00:01.00-00:02.00] a <00:01.80>b\n",
         {"s.txt:1: 'b' at 0:01.80 shows for 0.200 s inside the lyric scene (0–45 s); it needs 0.3 s"
          ": give it a later end (start the next line later), or join it to its neighbour"}},
        {"after the scene", "[00:44.80-00:47.00] a\n",
         {"s.txt:1: 'a' at 0:44.80 shows for 0.200 s inside the lyric scene (0–45 s); it needs 0.3 s: start "
          "it earlier, or leave it out"}},
        {"before the scene", "[offset:+3000]\n[00:01.00-00:03.20] a\n",
         {"s.txt:2: 'a' at -0:02.00 shows for 0.200 s inside the lyric scene (0–45 s); it needs 0.3 s: end "
          "it later, or leave it out"}},
        {"eleven at once", eleven,
         {"s.txt:2: 11 entries show at once at 0:11.40 when '11' appears; the show draws at most 10"}},
        {"ten at once, one leaving as another comes", ten, {}},
    };
    for (const Case& c : cases) {
        LyricSheet sheet = sheetOf(c.text.c_str());
        EXPECT_EQ(checkSchedule(sheet, "s.txt"), c.errors) << c.name;
    }
}

TEST(LyricReport, EachKindOfMessageShowsAScreenfulAndCountsTheRest)
{
    struct Case {
        const char* name;
        std::string a;
        std::string b;
        bool sameKind;
    };
    const Case kinds[] = {
        {"lines and quotes differ", "s.lrc:3: expected a time tag like [01:02.50] at the start of the line, not 'x'",
         "s.lrc:9: expected a time tag like [01:02.50] at the start of the line, not 'it's a, b'", true},
        {"characters differ", "s.lrc:1: no font has U+65E5 '日', used on line 1: add a --font that has it",
         "s.lrc:4: no font has U+0E01 'ก', used on lines 4, 5: add a --font that has it", true},
        {"times differ", "s.lrc:2: 'a' at 0:01.00 shows for 0.250 s inside the lyric scene (0–45 s); it needs 0.3 s",
         "s.lrc:7: 'b c' at 0:44.80 shows for 0.200 s inside the lyric scene (0–45 s); it needs 0.3 s", true},
        {"different faults", "s.lrc:1: unclosed tag '[00:01'", "s.lrc:1: unreadable tag [:x]: expected a time", false},
        {"the whole file's and a line's", "s.lrc: the lyric file is empty; nothing to show",
         "s.lrc:2: the lyric file is empty; nothing to show", true},
    };
    for (const Case& c : kinds)
        EXPECT_EQ(messageKind(c.a, "s.lrc") == messageKind(c.b, "s.lrc"), c.sameKind) << c.name;

    std::vector<std::string> messages;
    for (int line = 1; line <= 30; ++line) {
        messages.push_back("s.lrc:" + std::to_string(line) + ": expected a time tag, not '" + std::to_string(line) + "'");
        if (line % 10 == 0)
            messages.push_back("s.lrc:" + std::to_string(line) + ": unclosed tag '[0" + std::to_string(line) + "'");
    }
    std::vector<std::string> limited = limitMessages(messages, "s.lrc", "errors", 20);
    ASSERT_EQ(limited.size(), 24u);
    // The other kind goes on being shown after the first is cut.
    EXPECT_EQ(limited[21], "s.lrc: 10 more errors like line 20's, up to line 30");
    EXPECT_EQ(limited[22], "s.lrc:20: unclosed tag '[020'");
    EXPECT_EQ(limited[23], "s.lrc:30: unclosed tag '[030'");
    EXPECT_EQ(limitMessages(std::vector<std::string>(messages.begin(), messages.begin() + 21), "s.lrc", "errors", 20),
              std::vector<std::string>(messages.begin(), messages.begin() + 21))
        << "twenty of a kind are shown whole";
    EXPECT_EQ(countedProblems(3, 1), "3 errors, 1 warning");
    EXPECT_EQ(countedProblems(1, 0), "1 error");
}
