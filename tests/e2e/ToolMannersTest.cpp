// What every command does with a user's mistakes, the same way in every tool: a usage error in
// two lines, files named as the user typed them, and a tool run outside a show folder saying
// what it expected.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

TEST(ToolManners, AUsageErrorIsItsCauseAndWhereTheHelpIs)
{
    struct Case {
        std::string program;
        std::string name;
        std::vector<std::string> arguments;
        std::string cause;
    };
    const std::string launcher = SOVANE05_BUILD_DIR "/packaging/sovane05";
    const Case cases[] = {
        {launcher, "sovane05", {"--bad"}, "unknown option '--bad'"},
        {launcher, "sovane05", {"one", "two"}, "one show folder at most"},
        {SOVANE05_CHECK_TOOL, "sovane05-check", {"--bad"}, "unknown argument '--bad'"},
        {SOVANE05_COMPOSE_BINARY, "sovane05-compose", {"--wav"}, "--wav needs a value"},
        {SOVANE05_LYRICS_TOOL, "sovane05-lyrics", {"lyrics.txt"}, "unknown argument 'lyrics.txt'"},
        {SOVANE05_MAKE_TOOL, "sovane05-make", {"--music", "song.mp3"}, "--music, --lyrics and --output are needed"},
        {SOVANE05_PHOTO_TOOL, "sovane05-photo", {"--size", "big"}, "--size needs WIDTHxHEIGHT between 2 and 8192, not 'big'"},
        {SOVANE05_PREVIEW_BINARY, "sovane05-preview", {"--at", "-1"}, "--at needs a number of seconds from 0, not '-1'"},
        {SOVANE05_RENDER_TOOL, "sovane05-render", {"-o", "still.png", "--at", "5", "--at", "20"},
         "-o 'still.png': several frames need a %d or %t field in the name"},
        {SOVANE05_WEB_TOOL, "sovane05-web", {}, "--output SITE is needed"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        std::vector<std::string> command = {c.program};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = runProcess(command, {}, folder.path(), 60.0);
        EXPECT_EQ(result.exitStatus, 2) << c.name << ": " << result.err;
        EXPECT_EQ(result.err, c.name + ": " + c.cause + "\nTry '" + c.name + " --help'.\n");
        EXPECT_EQ(result.out, "") << c.name;
        EXPECT_TRUE(fs::is_empty(folder.path())) << c.name << " wrote something after a usage error";
    }
}

TEST(ToolManners, AToolRunOutsideAShowFolderSaysWhatItExpectedAndHowToGiveAnother)
{
    struct Case {
        std::vector<std::string> command;
        std::string err;
    };
    const Case cases[] = {
        {{SOVANE05_COMPOSE_BINARY},
         "sovane05-compose: data/ywsf.mp3: no data/ folder here: run this in a show folder, or give --output PATH\n"},
        {{SOVANE05_PHOTO_TOOL, "--size", "16x9"},
         "sovane05-photo: data/photo.png: no data/ folder here: run this in a show folder, or give --output FILE\n"},
        {{SOVANE05_LYRICS_TOOL, "--input", "song.txt"},
         "sovane05-lyrics: data: no data/ folder here: run this in a show folder, or give --output FOLDER\n"},
        {{SOVANE05_LYRICS_TOOL},
         "sovane05-lyrics: authoring/lyrics.txt: cannot read the lyric file: No such file or directory; give --input "
         "FILE\nsovane05-lyrics: authoring/lyrics.txt: 1 error: nothing made\n"},
    };
    for (const Case& c : cases) {
        TempDir folder;
        writeFile(folder / "song.txt", "[00:01.00-00:02.00] hello\n");
        ProcessResult result = runProcess(c.command, {}, folder.path(), 120.0);
        EXPECT_EQ(result.exitStatus, 1) << c.err;
        EXPECT_EQ(result.err, c.err);
        std::vector<fs::path> left;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path()))
            left.push_back(entry.path().filename());
        EXPECT_EQ(left, std::vector<fs::path>{"song.txt"}) << c.err;
    }
}
