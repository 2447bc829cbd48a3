// Which data folder a tool reads when it is given none: the show in the working folder first,
// then the installed show beside the tool.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/common/DataFolder.h"

namespace fs = std::filesystem;

TEST(DataFolder, DefaultsToTheWorkingFolderShowThenTheInstalledOne)
{
    // An installation under prefix/ (bin/, share/sovane05/data/) and a working folder work/.
    struct Case {
        const char* what;
        std::vector<std::string> files;  // relative to the temporary folder
        const char* programFolder;       // relative to it
        const char* expected;            // "data", or relative to the temporary folder
    };
    const std::vector<Case> cases = {
        {"a show in the working folder wins", {"work/data/config.txt", "prefix/share/sovane05/data/config.txt"},
         "prefix/bin", "data"},
        {"outside a show, the installed data", {"prefix/share/sovane05/data/config.txt"}, "prefix/bin",
         "prefix/share/sovane05/data"},
        {"a data folder without config.txt is no show", {"work/data/texttiming.txt", "prefix/share/sovane05/data/config.txt"},
         "prefix/bin", "prefix/share/sovane05/data"},
        {"an installation without data", {"prefix/share/sovane05/data/texttiming.txt"}, "prefix/bin", "data"},
    };
    for (const Case& c : cases) {
        TempDir root;
        fs::create_directories(root / "work");
        fs::create_directories(root / c.programFolder);
        for (const std::string& file : c.files)
            writeFile(root / file, "");
        fs::path expected = std::string(c.expected) == "data" ? fs::path("data") : root / c.expected;
        EXPECT_EQ(defaultDataFolder(root / "work", root / c.programFolder), expected) << c.what;
    }
}
