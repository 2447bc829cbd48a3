// The real sovane05-web: the site it writes holds the page, its program and every file of the
// data folder with the list the page loads; it keeps the tools' command-line conventions, and a
// run that fails or is refused leaves nothing behind and loses nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tools/lib/base/Progress.h"

namespace {

namespace fs = std::filesystem;

const std::string kTool = SOVANE05_WEB_TOOL;

ProcessResult web(const std::vector<std::string>& arguments, const fs::path& folder)
{
    std::vector<std::string> command = {kTool};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProcess(command, {}, folder, 60.0);
}

// A small show's data folder: what the page needs to list and copy, not to play.
void writeShowData(const fs::path& data)
{
    writeFile(data / "config.txt", "Texture 000 data/lyrics/000.png\nShader white data/white.frag data/white.vert\n");
    writeFile(data / "lyrics/000.png", "not really a picture");
    writeFile(data / "white.frag", "#version 410 core\n");
    writeFile(data / "white.vert", "#version 410 core\n");
    writeFile(data / "texttiming.txt", "1 2\n");
    writeFile(data / "ywsf.mp3", "music");
}

std::set<std::string> filesIn(const fs::path& folder)
{
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.insert(entry.path().lexically_relative(folder).generic_string());
    }
    return files;
}

bool skipWithoutPage()
{
    return std::string_view(SOVANE05_PAGE_DIR).empty();
}

}  // namespace

TEST(WebTool, AnswersHelpAndVersionAndRefusesAWrongCommandLine)
{
    TempDir folder;
    ProcessResult help = web({"--help"}, folder.path());
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(help.out.starts_with("usage: sovane05-web [--data DIR] --output SITE [--force]\n")) << help.out;
    ProcessResult version = web({"--version"}, folder.path());
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_TRUE(version.out.starts_with("sovane05-web ")) << version.out;

    struct Case {
        std::vector<std::string> arguments;
        std::string reason;
    };
    const Case cases[] = {
        {{}, "--output SITE is needed"},
        {{"--data", "data"}, "--output SITE is needed"},
        {{"--output"}, "--output needs a value"},
        {{"--output", "site", "--data"}, "--data needs a value"},
        {{"--output", "site", "--fps", "30"}, "unknown argument '--fps'"},
    };
    for (const Case& c : cases) {
        ProcessResult run = web(c.arguments, folder.path());
        EXPECT_EQ(run.exitStatus, 2) << c.reason;
        EXPECT_EQ(run.err, "sovane05-web: " + c.reason + "\nTry 'sovane05-web --help'.\n");
    }
}

TEST(WebTool, WritesThePageItsProgramAndEveryFileOfTheDataFolder)
{
    if (skipWithoutPage())
        GTEST_SKIP() << "built without Emscripten: no page";
    TempDir folder;
    writeShowData(folder / "show/data");
    writeFile(folder / "show/data/notes/readme.txt", "every file goes");
    makeFifo(folder / "show/data/pipe");

    ProcessResult run = web({"--data", "show/data", "-o", "site/"}, folder.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.err.starts_with("sovane05-web: show/data/pipe: not a regular file; left out\n"
                                    "sovane05-web: wrote site/: the page and its program (")) << run.err;
    EXPECT_TRUE(run.err.ends_with("), and the 7 files of show/data (" + sizeInWords(bytesWritten(folder / "show/data")) +
                                  ")\n"))
        << run.err;
    std::set<std::string> expected = {"index.html", "page.js", "page.css", "sovane05.js", "sovane05.wasm",
                                      "show-files.json", "data/config.txt", "data/lyrics/000.png",
                                      "data/white.frag", "data/white.vert", "data/texttiming.txt", "data/ywsf.mp3",
                                      "data/notes/readme.txt"};
    EXPECT_EQ(filesIn(folder / "site"), expected);
    EXPECT_EQ(readFile(folder / "site/data/lyrics/000.png"), "not really a picture");
    std::string list = readFile(folder / "site/show-files.json");
    EXPECT_NE(list.find("{\"music\": \"data/ywsf.mp3\""), std::string::npos) << list;
    EXPECT_NE(list.find("{\"path\": \"data/notes/readme.txt\", \"bytes\": 15}"), std::string::npos) << list;
    EXPECT_EQ(list.find("pipe"), std::string::npos) << list;

    // Replaced only when asked; a file of the user's own beside the page stays with the new site.
    writeFile(folder / "site/old.txt", "from before");
    ProcessResult again = web({"--data", "show/data", "--output", "site"}, folder.path());
    EXPECT_EQ(again.exitStatus, 1);
    EXPECT_EQ(again.err, "sovane05-web: site: exists; --force replaces it\n");
    EXPECT_TRUE(fs::exists(folder / "site/old.txt"));
    ProcessResult forced = web({"--data", "show/data", "--output", "site", "--force"}, folder.path());
    EXPECT_EQ(forced.exitStatus, 0) << forced.err;
    expected.insert("old.txt");
    EXPECT_EQ(filesIn(folder / "site"), expected);
}

TEST(WebTool, RefusesWhatWouldMakeAnotherShowOrLoseDataAndLeavesNothingBehind)
{
    if (skipWithoutPage())
        GTEST_SKIP() << "built without Emscripten: no page";
    struct Case {
        std::string what;
        std::function<void(const fs::path& folder)> change;
        std::vector<std::string> arguments;
        std::string error;
    };
    const Case cases[] = {
        {"no data folder", [](const fs::path& folder) { fs::remove_all(folder / "show"); },
         {"--data", "show/data", "-o", "site"}, "sovane05-web: show/data: not a folder\n"},
        {"no configuration", [](const fs::path& folder) { fs::remove(folder / "show/data/config.txt"); },
         {"--data", "show/data", "-o", "site"},
         "sovane05-web: show/data/config.txt: No such file or directory; not a show's data folder\n"},
        {"no music", [](const fs::path& folder) { fs::remove(folder / "show/data/ywsf.mp3"); },
         {"--data", "show/data", "-o", "site"},
         "sovane05-web: show/data/ywsf.mp3: missing; the page plays the show with its music\n"},
        {"a picture outside the data folder",
         [](const fs::path& folder) {
             writeFile(folder / "show/data/config.txt", "Texture photo data/photo.png\nTexture 000 /tmp/x.png\n");
         },
         {"--data", "show/data", "-o", "site"},
         "sovane05-web: show/data/config.txt:2: '/tmp/x.png' lies outside the data folder, and a site holds nothing "
         "else; copy the file into show/data and name it data/... in the configuration\n"},
        {"a site inside the data folder", [](const fs::path&) {}, {"--data", "show/data", "-o", "show/data/site"},
         "sovane05-web: show/data/site: lies inside the data folder, whose every file the site takes\n"},
        {"a site holding the data folder", [](const fs::path&) {}, {"--data", "show/data", "-o", "show", "--force"},
         "sovane05-web: show: holds the data folder, which replacing it would delete\n"},
        {"a site that is a file", [](const fs::path& folder) { writeFile(folder / "site", "a file"); },
         {"--data", "show/data", "-o", "site", "--force"}, "sovane05-web: site: exists and is not a folder\n"},
        {"no folder named", [](const fs::path&) {}, {"--data", "show/data", "-o", "."},
         "sovane05-web: .: name a folder to write\n"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        writeShowData(folder / "show/data");
        c.change(folder.path());
        std::set<std::string> before = filesIn(folder.path());
        ProcessResult run = web(c.arguments, folder.path());
        EXPECT_EQ(run.exitStatus, 1) << c.what;
        EXPECT_EQ(run.err, c.error) << c.what;
        EXPECT_EQ(filesIn(folder.path()), before) << c.what << ": files changed";
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << c.what << ": " << entry.path();
    }
}
