// What sovane05-web puts into a site, decided without GL: the files it takes and leaves out,
// the configuration paths a site could not hold, and the list the page loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/lib/base/Utf8.h"
#include "tools/web/SitePlan.h"

namespace {

std::vector<std::string> pathsOf(const std::vector<SiteFile>& files)
{
    std::vector<std::string> paths;
    for (const SiteFile& file : files)
        paths.push_back(file.path);
    return paths;
}

void writePage(const std::filesystem::path& folder)
{
    for (const char* name : {"index.html", "page.js", "page.css", "sovane05.js", "sovane05.wasm"})
        writeFile(folder / name, name);
}

}  // namespace

TEST(SitePlan, TakesEveryRegularFileOfTheDataFolderSortedAndLeavesOutWhatTheShowCannotRead)
{
    TempDir folder;
    writePage(folder / "page");
    std::filesystem::path data = folder / "show/data";
    writeFile(data / "config.txt", "Texture a data/lyrics/a.png\n");
    writeFile(data / "lyrics/b.png", "bb");
    writeFile(data / "lyrics/a.png", "a");
    writeFile(data / "a file with spaces #1.txt", "");
    writeFile(folder / "elsewhere/linked.png", "linked");
    std::filesystem::create_directory_symlink(folder / "elsewhere", data / "linked folder");
    std::filesystem::create_symlink(folder / "nothing", data / "dangling");
    makeFifo(data / "pipe");

    SitePlan plan = planSite(folder / "page", data, "show/data");
    ASSERT_EQ(plan.failure, "");
    EXPECT_EQ(pathsOf(plan.pageFiles).size(), 5u);
    EXPECT_EQ(pathsOf(plan.dataFiles),
              (std::vector<std::string>{"data/a file with spaces #1.txt", "data/config.txt", "data/linked folder/linked.png",
                                        "data/lyrics/a.png", "data/lyrics/b.png"}));
    EXPECT_EQ(plan.dataFiles[4].bytes, 2u);
    std::vector<std::string> skipped = plan.skipped;
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (std::vector<std::string>{"show/data/dangling: a link to nothing; left out",
                                                 "show/data/pipe: not a regular file; left out"}));
}

TEST(SitePlan, RefusesAPageWithoutItsProgramAndNamesThatAreNoWebAddress)
{
    TempDir folder;
    writePage(folder / "page");
    std::filesystem::remove(folder / "page/sovane05.wasm");
    writeFile(folder / "data/config.txt", "");
    SitePlan plan = planSite(folder / "page", folder / "data", "data");
    EXPECT_NE(plan.failure.find("the page's sovane05.wasm is missing"), std::string::npos) << plan.failure;

    writePage(folder / "page");
    writeFile(folder / "data/caf\xe9.png", "");
    plan = planSite(folder / "page", folder / "data", "data");
    EXPECT_EQ(plan.failure, "data/caf\xe9.png: the name is not UTF-8, which a web address needs; rename it");
}

TEST(SitePlan, NamesTheConfigurationPathsOutsideTheDataFolder)
{
    struct Case {
        std::string config;
        std::vector<std::string> outside;
    };
    const Case cases[] = {
        {"Texture a data/a.png\nShader s data/s.frag data/s.vert\nMesh m data/m.mesh\n", {}},
        {"Texture a ./data/x/../a.png\nTexture b data/my photo.png\n", {}},
        // File entries are never opened by the show, and unknown lines are not entries.
        {"File notes /etc/passwd\n# Texture a /x.png\nTexture\n", {}},
        {"Texture a /home/me/a.png\n", {"config.txt:1: '/home/me/a.png'"}},
        {"\nTexture a data/../a.png\n", {"config.txt:2: 'data/../a.png'"}},
        {"Texture a lyrics/a.png\n", {"config.txt:1: 'lyrics/a.png'"}},
        {"Texture a data/\n", {"config.txt:1: 'data/'"}},
        {"Shader s data/s.frag ../s.vert\n", {"config.txt:1: '../s.vert'"}},
        {"Shader s s.frag s.vert\r\nMesh m data2/m.mesh\n",
         {"config.txt:1: 's.frag'", "config.txt:1: 's.vert'", "config.txt:2: 'data2/m.mesh'"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pathsOutsideData(c.config), c.outside) << c.config;
}

TEST(SitePlan, WritesTheFileListAsJsonWithNamesEscapedAndKnowsUtf8)
{
    std::vector<SiteFile> files = {{"", "data/config.txt", 12}, {"", "data/a \"quoted\" \\ name\t.png", 3}};
    EXPECT_EQ(fileListJson(files, "data/ywsf.mp3"),
              "{\"music\": \"data/ywsf.mp3\", \"files\": [\n"
              "  {\"path\": \"data/config.txt\", \"bytes\": 12},\n"
              "  {\"path\": \"data/a \\\"quoted\\\" \\\\ name\\u0009.png\", \"bytes\": 3}\n"
              "]}\n");
    EXPECT_EQ(fileListJson({}, "data/ywsf.mp3"), "{\"music\": \"data/ywsf.mp3\", \"files\": [\n]}\n");

    struct Case {
        std::string text;
        bool utf8;
    };
    const Case cases[] = {
        {"", true},
        {"plain.png", true},
        {"caf\xc3\xa9 \xe6\xad\x8c \xf0\x9f\x8e\xb5", true},
        {"caf\xe9", false},              // Latin-1
        {"\xc3", false},                 // cut short
        {"\xc0\xaf", false},             // an overlong '/'
        {"\xed\xa0\x80", false},         // a surrogate
        {"\xf4\x90\x80\x80", false},     // past U+10FFFF
        {"\xff", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isUtf8(c.text), c.utf8) << ::testing::PrintToString(c.text);
}
