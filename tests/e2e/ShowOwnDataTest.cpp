// The real show with its own committed data (only the music swapped for a short track): every
// resource loads and every program compiles, links and validates without a word.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/ShowRun.h"
#include "tests/support/TestMusic.h"

TEST(ShowOwnData, StartsAndPlaysWithoutAReport)
{
    TempDir folder;
    std::filesystem::copy(std::filesystem::path(SOVANE05_SOURCE_DIR) / "data", folder / "data",
                          std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(testMusic(2.0), folder / "data/ywsf.mp3",
                               std::filesystem::copy_options::overwrite_existing);
    ShowRun show(folder.path());
    ProcessResult result = show.finish(60.0);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "") << "a shader report";
    EXPECT_EQ(result.err, "");
}
