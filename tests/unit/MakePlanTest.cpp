// sovane05-make's decisions without GL or sound: the tempo line of the background program it
// rewrites for --bpm, and what it says about a song's length against the show's windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/make/ShowPlan.h"

TEST(MakePlan, BpmRewritesTheBackgroundsOneTempoLine)
{
    const std::string stock = readFile(std::filesystem::path(SOVANE05_SOURCE_DIR) / "data/white.frag");
    struct Case {
        std::string shader;
        double bpm;
        std::optional<std::string> result;
    };
    const Case cases[] = {
        {"a\nconst float kBeat = 60.0 / 128.0;\nb\n", 140.0, "a\nconst float kBeat = 60.0 / 140.0;\nb\n"},
        {"const float kBeat = 60.0 / 128.0; // tempo", 97.5, "const float kBeat = 60.0 / 97.5; // tempo"},
        {"const float kBeat = 0.47;\n", 100.0, std::nullopt},
        {"", 100.0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(setBackgroundTempo(c.shader, c.bpm), c.result) << c.shader;

    // The stock program holds the line, once, and only it changes.
    std::optional<std::string> retimed = setBackgroundTempo(stock, 90.0);
    ASSERT_TRUE(retimed) << "data/white.frag lost its line '" << kTempoLine << "128.0;'";
    EXPECT_NE(stock.find("const float kBeat = 60.0 / 128.0;\n"), std::string::npos);
    std::string expected = stock;
    expected.replace(expected.find("60.0 / 128.0;"), 13, "60.0 / 90.0;");
    EXPECT_EQ(*retimed, expected);
}

TEST(MakePlan, TheSongsLengthIsWeighedAgainstTheShowsWindows)
{
    struct Case {
        double seconds;
        std::optional<long long> lengthTag;
        std::vector<double> starts;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {57.9, {}, {1.0}, {}},
        {192.4, 192000, {1.0},
         {"the music runs to 3:12.40, 2:14.40 past the show's last scene, which ends at 58 s: the picture stays as "
          "last drawn until the music ends"}},
        {50.0, {}, {1.0}, {"the music ends at 0:50.00, inside the photo scene (45 to 58 s): the show ends with it, the photo cut short"}},
        {30.0, {}, {1.0, 30.0, 40.0},
         {"the music ends at 0:30.00, inside the lyric scene (0 to 45 s): the show ends with it and the photo never shows",
          "2 entries start after the music ends at 0:30.00 and never show"}},
        {57.5, 190000, {},
         {"the lyric file's [length:] is 3:10.00 but the music is 0:57.50 long: the lyrics may be timed for another "
          "recording"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(musicWarnings(c.seconds, c.lengthTag, c.starts), c.warnings) << c.seconds;
}
