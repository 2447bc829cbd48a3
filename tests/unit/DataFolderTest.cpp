// Which data folder a tool reads when it is given none: the show in the working folder first,
// then the installed show beside the tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/lib/base/DataFolder.h"

TEST(DataFolder, DefaultsToTheWorkingFolderShowThenTheInstalledOne)
{
    // Files of a working folder work/ and an installation in prefix/; "data" or the folder chosen.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"work/data/config.txt", "prefix/share/sovane05/data/config.txt"}, "data"},
        {{"work/data/texttiming.txt", "prefix/share/sovane05/data/config.txt"}, "prefix/share/sovane05/data"},
        {{"prefix/share/sovane05/data/texttiming.txt"}, "data"},
    };
    for (const auto& [files, chosen] : cases) {
        TempDir root;
        for (const std::string& file : files)
            writeFile(root / file, "");
        EXPECT_EQ(defaultDataFolder(root / "work", root / "prefix/bin"), chosen == "data" ? "data" : root / chosen)
            << files.front();
    }
}
