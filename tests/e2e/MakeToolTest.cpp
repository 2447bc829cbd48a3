// The real sovane05-make on a song, an LRC file and a picture made at test time: the folder it
// makes holds the whole show and the show plays it without a word; a run that fails leaves
// nothing behind, and an existing folder is replaced only when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rules/LayoutHeader.h"
#include "tests/support/Image.h"
#include "tests/support/ShowRun.h"
#include "tests/support/TestImages.h"

namespace {

namespace fs = std::filesystem;

// An LRC file as editors and lyric sites write them: byte-order mark, CR LF, tags, [mm:ss:xx],
// a line with two time tags, one after the lyric scene, accents, Cyrillic and Japanese.
const std::string kLyrics = "\xEF\xBB\xBF[ti:Caf\xC3\xA9]\r\n[length:00:03]\r\n"
                            "[00:00:30] Caf\xC3\xA9 <00:00.70>\xD0\x9B\xD0\xB5\xD1\x82\xD0\xBE\r\n"
                            "[00:01.20][01:50.00] \xE5\xA4\x8F\xE3\x81\xAE\r\n[00:02.40]\r\n";

// The names in a folder, hidden ones too.
std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

struct Inputs {
    Inputs()
    {
        writeFile(folder / "song.lrc", kLyrics);
        writeFile(folder / "broken.lrc", "[00:01.00] fine\r\nno time tag\r\n");
        // A tone in Ogg Vorbis, which the show cannot play as it is.
        ProcessResult song = runProcess({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:duration=3",
                                         "-ac", "2", "-c:a", "libvorbis", (folder / "song.ogg").string()},
                                        {}, folder.path(), 60.0);
        EXPECT_EQ(song.exitStatus, 0) << song.err;
        // A portrait picture: red over its top half, blue below.
        std::vector<uint8_t> pixels;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 40; ++x)
                pixels.insert(pixels.end(), {uint8_t(y < 30 ? 220 : 20), 30, uint8_t(y < 30 ? 20 : 220)});
        writeTestPng(folder / "picture.png", 40, 60, 3, pixels);
    }

    ProcessResult make(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> command = {SOVANE05_MAKE_TOOL};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return runProcess(command, {"SDL_AUDIODRIVER"}, folder.path(), 120.0);
    }

    TempDir folder;
};

}  // namespace

TEST(MakeTool, MakesAShowFolderThatPlaysWithoutAReport)
{
    Inputs inputs;
    ProcessResult made = inputs.make({"--music", "song.ogg", "--lyrics", "song.lrc", "--photo", "picture.png", "--bpm",
                                      "100", "--output", "show"});
    ASSERT_EQ(made.exitStatus, 0) << made.err;
    EXPECT_EQ(made.out, "");
    EXPECT_NE(made.err.find("sovane05-make: song.lrc:4: warning: 1 entry left out: the first, '\xE5\xA4\x8F\xE3\x81\xAE', "
                            "starts at 1:50.00, after the lyric scene ends at 45 s\n"),
              std::string::npos)
        << made.err;
    EXPECT_NE(made.err.find("sovane05-make: song.lrc: 3 entries in 2 lines, 84 of 87 slots unused, 1 left out after "
                            "the lyric scene, 1 warning\n"),
              std::string::npos)
        << made.err;
    EXPECT_NE(made.err.find("warning: the music ends at 0:03.00, inside the lyric scene"), std::string::npos) << made.err;
    EXPECT_EQ(namesIn(inputs.folder.path()).size(), 5u) << "only the inputs and the show folder";
    // The show folder gets the permissions of any new folder, not its private staging folder's.
    fs::create_directory(inputs.folder / "plain");
    EXPECT_EQ(fs::status(inputs.folder / "show").permissions(), fs::status(inputs.folder / "plain").permissions());
    fs::remove(inputs.folder / "plain");

    const fs::path data = inputs.folder / "show/data";
    for (const char* file : {"config.txt", "texttiming.txt", "photo.png", "ywsf.mp3", "white.frag", "white.vert",
                             "textlayout.frag", "textlayout.vert", "meshes/tetra.mesh", "lyrics/000.png", "lyrics/086.png"})
        EXPECT_TRUE(fs::is_regular_file(data / file)) << file;
    EXPECT_EQ(namesIn(data / "lyrics").size(), 87u);
    EXPECT_EQ(readFile(data / "texttiming.txt").substr(0, 36), "0.300 1.200\n0.700 1.200\n1.200 2.400\n");
    for (const char* stage : {"white.frag", "white.vert"})
        EXPECT_NE(readFile(data / stage).find("const float kBeat = 60.0 / 100.0;"), std::string::npos) << stage;
    ProcessResult probe = runProcess({"ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of",
                                      "default=noprint_wrappers=1:nokey=1", (data / "ywsf.mp3").string()});
    EXPECT_EQ(probe.out, "mp3\n");
    // The picture keeps its shape: taller than wide, red above blue, in the middle of the frame,
    // which its header places over the whole screen.
    Image photo = loadImage((data / "photo.png").string());
    std::optional<TextPlacement> place = readLayoutHeader(photo.pixels.data(), photo.width, photo.height);
    ASSERT_TRUE(place && place->stretched);
    EXPECT_EQ(std::pair(place->frameWidth, place->frameHeight), std::pair(1920, 1080));
    auto inFrame = [&](int x, int y) {
        int column = x - place->left, row = y - place->top + 1;
        bool inside = column >= 0 && column < photo.width && row >= 1 && row < photo.height;
        return inside ? photo.at(column, row) : Rgba{};
    };
    EXPECT_TRUE(colourNear(inFrame(960, 300), {220, 30, 20, 255}, 12)) << inFrame(960, 300);
    EXPECT_TRUE(colourNear(inFrame(960, 700), {20, 30, 220, 255}, 12)) << inFrame(960, 700);
    EXPECT_EQ(inFrame(560, 540).a, 0) << "the picture was stretched across";
    EXPECT_LT(photo.width, 1920) << "the photo holds only what shows";

    // The checker finds no error; its one warning is the 3 s song, shorter than the scenes.
    ProcessResult checked = runProcess({SOVANE05_CHECK_TOOL, "--data", data.string()}, {}, {}, 120.0);
    EXPECT_EQ(checked.exitStatus, 0) << checked.out << checked.err;
    EXPECT_EQ(checked.out.substr(checked.out.rfind('\n', checked.out.size() - 2) + 1), "0 errors, 1 warning\n")
        << checked.out;

    ShowRun show(inputs.folder / "show");
    ProcessResult played = show.finish(60.0);
    EXPECT_EQ(played.signal, 0);
    EXPECT_EQ(played.exitStatus, 0) << played.err;
    EXPECT_EQ(played.out, "") << "a shader report";
    EXPECT_EQ(played.err, "");
}

TEST(MakeTool, AFailedRunLeavesNothingAndAnExistingFolderIsReplacedOnlyWhenAsked)
{
    Inputs inputs;
    writeFile(inputs.folder / "old/data/config.txt", "the old show\n");
    writeFile(inputs.folder / "old/show.mp4", "an export");
    writeFile(inputs.folder / "mine/notes.txt", "not a show");
    writeFile(inputs.folder / "mine/data/notes.txt", "not a show's data");
    makeFifo(inputs.folder / "fifo");
    fs::create_directory(inputs.folder / "folder");
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string err;  // the last line of standard error
        std::string made;  // the folder the run made or replaced, or ""
    };
    const std::vector<std::string> good = {"--music", "song.ogg", "--lyrics", "song.lrc"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments = good;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    };
    const Case cases[] = {
        {{"--music", "song.ogg", "--lyrics", "broken.lrc", "--output", "new"}, 1,
         "sovane05-make: broken.lrc:2: expected a time tag like [01:02.50] at the start of the line\n", ""},
        {with({"--output", "new", "--strict"}), 1,
         "sovane05-make: song.lrc:4: 1 entry left out: the first, '\xE5\xA4\x8F\xE3\x81\xAE', starts at 1:50.00, after "
         "the lyric scene ends at 45 s\n",
         ""},
        {{"--music", "song.lrc", "--lyrics", "song.lrc", "--output", "new"}, 1, "sovane05-make: song.lrc: not music that ffmpeg reads\n", ""},
        {with({"--photo", "song.lrc", "--output", "new"}), 1, "sovane05-make: song.lrc: cannot read the picture: ", ""},
        // Once a make that waited on its ffprobe child for ever, deaf to Ctrl-C.
        {{"--music", "fifo", "--lyrics", "song.lrc", "--output", "new"}, 1,
         "sovane05-make: fifo: cannot read the music: not a regular file\n", ""},
        {{"--music", "folder", "--lyrics", "song.lrc", "--output", "new"}, 1,
         "sovane05-make: folder: cannot read the music: Is a directory\n", ""},
        // Once read as an empty lyric file, and made into a show with no words.
        {{"--music", "song.ogg", "--lyrics", "folder", "--output", "new"}, 1,
         "sovane05-make: folder: cannot read the lyric file: Is a directory\n", ""},
        {with({"--photo", "folder", "--output", "new"}), 1,
         "sovane05-make: folder: cannot read the picture: Is a directory\n", ""},
        {with({"--output", "song.lrc/new"}), 1,
         "sovane05-make: song.lrc/new: the folder it would go in, song.lrc, is not a folder\n", ""},
        {with({"--output", "old"}), 1, "sovane05-make: old: already exists; --force replaces its data/\n", ""},
        {with({"--output", "mine", "--force"}), 1,
         "sovane05-make: mine/data: not a show's data folder (no config.txt); not replaced\n", ""},
        {with({"--output", "old", "--force"}), 0, "sovane05-make: made old: ", "old"},
        {with({"--bpm", "fast", "--output", "new"}), 2, "Try 'sovane05-make --help'.\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[c.arguments.size() - (c.arguments.back() == "--force" ? 2 : 1)]);
        ProcessResult result = inputs.make(c.arguments);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        std::string last = result.err.substr(result.err.rfind('\n', result.err.size() - 2) + 1);
        if (c.exitStatus == 2)
            last = result.err.substr(result.err.find('\n') + 1);
        EXPECT_EQ(last.substr(0, c.err.size()), c.err) << result.err;
        std::vector<std::string> names = namesIn(inputs.folder.path());
        EXPECT_EQ(names.size(), 8u) << "the run left something behind or took something away";
        EXPECT_FALSE(fs::exists(inputs.folder / "new"));
    }
    EXPECT_EQ(readFile(inputs.folder / "old/show.mp4"), "an export") << "--force replaces data/ only";
    EXPECT_NE(readFile(inputs.folder / "old/data/config.txt"), "the old show\n");
    EXPECT_EQ(readFile(inputs.folder / "old/data.backup/config.txt"), "the old show\n") << "--force lost the old data/";
    EXPECT_EQ(namesIn(inputs.folder / "old/data/lyrics").size(), 87u);
    EXPECT_EQ(readFile(inputs.folder / "mine/data/notes.txt"), "not a show's data");
}
