// What keeps the frames evenly paced, without GL: which textures the start-up warm-up draws,
// and which swap interval the show asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "rules/FramePacing.h"

TEST(FramePacing, TheWarmUpDrawsTheFirstTextureOfEachKind)
{
    struct Case {
        const char* what;
        std::vector<TextureShape> shapes;
        std::vector<int> drawn;
    };
    const Case cases[] = {
        {"no textures", {}, {}},
        {"the same kind again and again", {{337, 79}, {86, 78}, {1920, 1080}}, {0}},
        {"a power-of-two width is a kind of its own", {{337, 79}, {256, 79}, {145, 79}}, {0, 1}},
        {"and so is a power-of-two height", {{337, 79}, {337, 64}}, {0, 1}},
        {"both sides", {{2, 2}, {256, 79}, {337, 64}, {300, 80}, {4, 8}}, {0, 1, 2, 3}},
        {"no image is a kind, whatever size it was asked for", {{0, 0}, {64, 64}, {0, 0}}, {0, 1}},
        {"one is not the only power of two", {{1, 1}, {1024, 512}}, {0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(oneTextureOfEachKind(c.shapes), c.drawn) << c.what;
}

TEST(FramePacing, AsksForAdaptiveSyncThenSyncThenLeavesTheDefault)
{
    struct Case {
        const char* what;
        std::vector<int> taken;  // the intervals the driver accepts
        std::vector<int> asked;
        int result;
    };
    const Case cases[] = {
        {"adaptive sync", {-1, 1, 0}, {-1}, -1},
        {"sync where adaptive is refused", {1, 0}, {-1, 1}, 1},
        {"the default where neither is taken", {0}, {-1, 1}, 0},
    };
    for (const Case& c : cases) {
        std::vector<int> asked;
        int result = chooseSwapInterval([&](int interval) {
            asked.push_back(interval);
            return std::find(c.taken.begin(), c.taken.end(), interval) != c.taken.end();
        });
        EXPECT_EQ(asked, c.asked) << c.what;
        EXPECT_EQ(result, c.result) << c.what;
    }
}
