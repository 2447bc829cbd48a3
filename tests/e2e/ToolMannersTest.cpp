// What every command does with a user's mistakes, the same way in every tool: a usage error in
// two lines, files named as the user typed them, and a tool run outside a show folder saying
// what it expected.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMusic.h"

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

TEST(ToolManners, FilesAreNamedAsTypedFromWhereTheCommandRan)
{
    struct Case {
        std::vector<std::string> command;
        int exitStatus;
        std::vector<std::string> lines;  // each the start of a line of standard error, progress aside
    };
    // Run from the folder above the show's: every name starts "sub/", none is a staging folder's.
    const Case cases[] = {
        {{SOVANE05_MAKE_TOOL, "--music", "sub/song.mp3", "--lyrics", "sub/song.lrc", "--bpm", "120", "--output",
          "sub/myshow"},
         0,
         {"sovane05-make: sub/song.mp3: ", "sovane05-make: sub/song.lrc: 1 entry in 1 line",
          "sovane05-make: sub/myshow/data/scenes.txt: ",
          "sovane05-make: wrote sub/myshow/data/ (",}},
        {{SOVANE05_MAKE_TOOL, "--music", "sub/song.mp3", "--lyrics", "sub/song.lrc", "--bpm", "120", "--output",
          "sub/myshow"},
         1,
         {"sovane05-make: sub/myshow: already exists; --force replaces its data/"}},
        {{SOVANE05_LYRICS_TOOL, "--input", "sub/song.lrc", "--output", "sub/myshow/data"},
         0,
         {"sovane05-lyrics: sub/song.lrc: 1 entry in 1 line",
          "sovane05-lyrics: wrote sub/myshow/data/texttiming.txt and sub/myshow/data/lyrics/ (87 images, "}},
        {{SOVANE05_LYRICS_TOOL, "--input", "sub/song.lrc", "--output", "sub/song.lrc/data"},
         1,
         {"sovane05-lyrics: sub/song.lrc/data: cannot make the folder: "}},
        {{SOVANE05_PHOTO_TOOL, "--size", "32x18", "--output", "sub/myshow/data/photo.png"},
         0,
         {"sovane05-photo: wrote sub/myshow/data/photo.png ("}},
        {{SOVANE05_PHOTO_TOOL, "--input", "sub/song.lrc", "--output", "sub/photo.png"},
         1,
         {"sovane05-photo: sub/song.lrc: cannot read the picture: "}},
        {{SOVANE05_COMPOSE_BINARY, "--wav", "sub/track.wav"}, 0, {"sovane05-compose: wrote sub/track.wav (57.9 s, "}},
        {{SOVANE05_WEB_TOOL, "--data", "sub/nothing", "--output", "site"}, 1, {"sovane05-web: sub/nothing: not a folder"}},
        {{SOVANE05_WEB_TOOL, "--data", "sub/myshow/data", "--output", "sub/myshow/data/site"},
         1,
         {"sovane05-web: sub/myshow/data/site: lies inside the data folder"}},
    };
    TempDir folder;
    fs::create_directory(folder / "sub");
    fs::copy_file(testMusic(3.0), folder / "sub/song.mp3");
    writeFile(folder / "sub/song.lrc", "[00:01.00-00:02.00] hello\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(fs::path(c.command.front()).filename().string() + " " + c.command.back());
        ProcessResult result = runProcess(c.command, {"SDL_AUDIODRIVER"}, folder.path(), 300.0);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        std::string err = withoutProgress(result.err);
        std::size_t at = 0;
        for (const std::string& line : c.lines) {
            std::size_t found = err.find(line, at);
            EXPECT_TRUE(found != std::string::npos && (found == 0 || err[found - 1] == '\n'))
                << "no line starting '" << line << "' in order in:\n" << err;
            at = found == std::string::npos ? at : found;
        }
        EXPECT_EQ(err.find(".sovane05-"), std::string::npos) << "a staging folder named:\n" << err;
        EXPECT_EQ(err.find(folder.path().string()), std::string::npos) << "an absolute path named:\n" << err;
    }
}
