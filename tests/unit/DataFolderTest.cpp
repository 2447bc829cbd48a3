// Which data folder a tool reads when it is given none: the show in the working folder first,
// then the installed show beside the tool; and how a file inside it is named to the user.
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

TEST(DataFolder, NamesFilesAsTheUserTypedTheFolder)
{
    struct Case {
        std::string insideShow;
        std::string typedData;
        std::string shown;
    };
    const Case cases[] = {
        {"data/white.frag:66: error: syntax error", "myshow/data", "myshow/data/white.frag:66: error: syntax error"},
        {"data/white.frag", "myshow/data/", "myshow/data/white.frag"},
        {"data/config.txt:3: warning: x", "../mine", "../mine/config.txt:3: warning: x"},
        {"data/lyrics/000.png", "/usr/share/sovane05/data", "/usr/share/sovane05/data/lyrics/000.png"},
        {"data/white.frag", "data", "data/white.frag"},
        {"data/white.frag", "", "data/white.frag"},
        {"database.txt: x", "myshow/data", "database.txt: x"},
        {"data", "myshow/data", "data"},
        {"built in 12 ms", "myshow/data", "built in 12 ms"},
        {"cannot read data/white.frag", "myshow/data", "cannot read data/white.frag"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(asTyped(c.insideShow, c.typedData), c.shown) << c.insideShow << " in " << c.typedData;
}
