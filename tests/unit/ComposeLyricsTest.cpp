// authoring/lyrics.txt against the music: every entry starts on a note the lead sings, inside
// the lyric scene, long enough to read, never crowding the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/compose/Score.h"
#include "tools/lib/lyrics/LyricFile.h"

namespace {

constexpr double kLyricSceneEnd = 45.0;

LyricSheet showLyrics()
{
    std::filesystem::path path = std::filesystem::path(SOVANE05_SOURCE_DIR) / "authoring" / "lyrics.txt";
    LyricParse parse = parseLyrics(readFile(path), path.string());
    for (const std::string& error : parse.errors)
        ADD_FAILURE() << error;
    return parse.sheet;
}

}  // namespace

TEST(ComposeLyrics, EveryEntryStartsOnASungNote)
{
    LyricSheet sheet = showLyrics();
    ASSERT_EQ(sheet.entries.size(), std::size_t(kLyricEntryCount));
    compose::Score score = compose::buildScore();
    std::size_t searchFrom = 0;
    for (const LyricEntry& entry : sheet.entries) {
        // Entries are in singing order, so each one is found at or after the previous note.
        auto note = std::find_if(score.lead.begin() + long(searchFrom), score.lead.end(),
                                 [&](const compose::Note& n) { return std::fabs(n.start - entry.start) <= 0.001; });
        ASSERT_NE(note, score.lead.end()) << "no note at " << entry.start << " for \"" << entry.text << "\" (line "
                                          << entry.sourceLine << ")";
        searchFrom = std::size_t(note - score.lead.begin()) + 1;
    }
}

TEST(ComposeLyrics, EntriesShowInsideTheLyricSceneWithoutCrowding)
{
    LyricSheet sheet = showLyrics();
    ASSERT_FALSE(sheet.entries.empty());
    for (const LyricEntry& entry : sheet.entries) {
        double shown = std::min(entry.end, kLyricSceneEnd) - std::max(entry.start, 0.0);
        EXPECT_GT(entry.start, 0.0) << entry.text;
        EXPECT_GE(shown, 0.3) << entry.text << " at " << entry.start;
    }
    for (const LyricEntry& entry : sheet.entries) {
        int visible = int(std::count_if(sheet.entries.begin(), sheet.entries.end(), [&](const LyricEntry& other) {
            return other.start < entry.start + 0.0005 && entry.start + 0.0005 < other.end;
        }));
        EXPECT_LE(visible, 10) << "at " << entry.start;
        EXPECT_GE(visible, 1) << "at " << entry.start;
    }
    for (const LyricRow& row : sheet.rows)
        EXPECT_LE(row.phrase.size(), 40u) << row.phrase;
}
