// The real sovane05 binary under a virtual display: how it starts, what ends it and what
// does not, and how it reports the failures it cannot recover from.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/ShowRun.h"

TEST(ShowRuntime, Placeholder)
{
    ShowFolder folder;
    ShowRun show(folder.path());
    EXPECT_NE(show.waitForWindow(), "");
    ProcessResult result = show.finish();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}
