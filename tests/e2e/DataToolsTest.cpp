// The real lyrics and photo tools: they rewrite the committed data byte for byte from the
// committed sources, and report faults on standard error, one line each, with the exit
// status the house style gives them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"
#include "tools/lib/base/Progress.h"

namespace {

const std::filesystem::path kRoot = SOVANE05_SOURCE_DIR;

std::set<std::string> filesIn(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        names.insert(file.path().filename().string());
    return names;
}

// `count` one-word lines from second `from` on, one every half second, each up for 0.4 s.
std::string lyricLines(int count, int from = 0)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char line[64];
        int second = from + i / 2;
        std::snprintf(line, sizeof line, "[00:%02d.%02d-00:%02d.%02d] word%d\n", second, i % 2 * 50, second,
                      i % 2 * 50 + 40, i);
        text += line;
    }
    return text;
}

}  // namespace

TEST(DataTools, LyricsToolRewritesTheCommittedTimingAndImagesByteForByte)
{
    TempDir output;
    ProcessResult result = runProcess({SOVANE05_LYRICS_TOOL, "--input", "authoring/lyrics.txt", "--output",
                                       output.path().string()},
                                      {}, kRoot, 120.0);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(withoutProgress(result.err),
              "sovane05-lyrics: authoring/lyrics.txt: 87 entries in 20 lines\nsovane05-lyrics: wrote " +
                  (output / "texttiming.txt").string() + " and " + (output / "lyrics/").string() + " (87 images, " +
                  sizeInWords(bytesWritten(output / "texttiming.txt") + bytesWritten(output / "lyrics")) + ")\n");
    EXPECT_EQ(readFile(output / "texttiming.txt"), readFile(kRoot / "data/texttiming.txt"))
        << "data/texttiming.txt is not what authoring/lyrics.txt makes: run scripts/make-data";
    std::set<std::string> made = filesIn(output / "lyrics");
    EXPECT_EQ(made.size(), 87u);
    EXPECT_EQ(filesIn(kRoot / "data/lyrics"), made) << "data/lyrics holds other files than the tool makes";
    for (const std::string& name : made)
        EXPECT_TRUE(readFile(output / "lyrics" / name) == readFile(kRoot / "data/lyrics" / name))
            << "data/lyrics/" << name << " differs from what the tool makes: run scripts/make-data";
}

TEST(DataTools, PhotoToolRewritesTheCommittedPhotoByteForByte)
{
    TempDir output;
    ProcessResult result = runProcess({SOVANE05_PHOTO_TOOL, "--output", (output / "photo.png").string()}, {}, kRoot,
                                      120.0);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(readFile(output / "photo.png") == readFile(kRoot / "data/photo.png"))
        << "data/photo.png differs from what the tool makes: run scripts/make-data";
}

TEST(DataTools, LyricsToolReportsFaultsOnOneLineWithItsExitStatus)
{
    TempDir folder;
    writeFile(folder / "short.txt", lyricLines(86));
    writeFile(folder / "crowded.txt", "[00:01.00-00:03.00] a <00:01.10>b <00:01.20>c <00:01.30>d <00:01.40>e <00:01.50>f\n"
                                      "[00:02.00-00:04.00] g <00:02.10>h <00:02.20>i <00:02.30>j <00:02.40>k\n" +
                                          lyricLines(76, 5));
    writeFile(folder / "good.txt", lyricLines(87));
    writeFile(folder / "faults.txt", "[00:01.00-00:02.00] a\xee\x80\x80 \xe6\x97\xa5\n[00:03.00-00:03.10] short\n"
                                     "[00:04.00-00:05.00] x <00:0y.00>y\n[00:06.00-00:07.00] \xee\x80\x80 again\n" +
                                         lyricLines(88, 1));
    writeFile(folder / "japanese.txt", "[00:01.00-00:02.00] \xe6\x97\xa5\xe6\x9c\xac\n");
    writeFile(folder / "file", "not a folder");
    makeFifo(folder / "fifo");
    writeFile(folder / "empty.lrc", "");
    writeFile(folder / "untimed.lrc", "[ti:Title]\n[ar:Artist]\n# nothing sung\n[00:12.00]\n");
    std::filesystem::create_directory(folder / "folder.lrc");
    std::string everyLineWrong;
    for (int i = 0; i < 500; ++i)
        everyLineWrong += "words without a time " + std::to_string(i) + "\n";
    writeFile(folder / "wrong.lrc", everyLineWrong);
    const std::string tool = SOVANE05_LYRICS_TOOL;
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    const std::string noto = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string err;  // the start of standard error
    };
    const std::string crowding = "crowded.txt:1: its word stamps would put 11 entries on screen at 0:02.40, more than "
                                 "the show's 10: its 6 words are grouped into 5 entries\n";
    const Case cases[] = {
        {{"--input", "short.txt", "--check"}, 0,
         "sovane05-lyrics: short.txt: 86 entries in 86 lines, 1 of 87 slots unused: fits the show\n"},
        {{"--input", "crowded.txt", "--check"}, 0,
         "sovane05-lyrics: " + std::string(crowding).insert(crowding.find(' ') + 1, "warning: ") +
             "sovane05-lyrics: crowded.txt: 86 entries in 78 lines, 1 of 87 slots unused, 1 warning: fits the show\n"},
        {{"--input", "crowded.txt", "--check", "--strict"}, 1, "sovane05-lyrics: " + crowding},
        {{"--input", "faults.txt", "--check"}, 1,
         "sovane05-lyrics: faults.txt:2: warning: 'short' at 0:03.00 would show for 0.100 s, less than the 0.3 s the show "
         "needs: it shows until 0:03.30\n"
         "sovane05-lyrics: faults.txt:1: no font has U+E000 '\xee\x80\x80', used on lines 1, 4: add a --font that has it\n"
         "sovane05-lyrics: faults.txt:3: unreadable word stamp <00:0y.00>: expected <mm:ss.xx>\n"
         "sovane05-lyrics: faults.txt:89: entry 88 'word84' at 0:43.00 is one too many"},
        {{"--input", "japanese.txt", "--check", "--font", dejaVu, "--no-default-fonts"}, 1,
         "sovane05-lyrics: japanese.txt:1: no font has U+65E5 '\xe6\x97\xa5', used on line 1: add --font " + noto +
             " (installed, for Chinese and Japanese) or another font that has it\n"
             "sovane05-lyrics: japanese.txt:1: no font has U+672C"},
        {{"--input", "japanese.txt", "--check", "--font", dejaVu, "--font", noto, "--no-default-fonts"}, 0,
         "sovane05-lyrics: japanese.txt: 1 entry in 1 line, 86 of 87 slots unused: fits the show\n"},
        // The default chain follows the fonts given.
        {{"--input", "japanese.txt", "--check", "--font", dejaVu}, 0,
         "sovane05-lyrics: japanese.txt: 1 entry in 1 line, 86 of 87 slots unused: fits the show\n"},
        {{"--input", "missing.txt"}, 1,
         "sovane05-lyrics: missing.txt: cannot read the lyric file: No such file or directory\n"
         "sovane05-lyrics: missing.txt: 1 error: nothing made\n"},
        // Once a tool that waited for ever on the FIFO, and read the folder as an empty file.
        {{"--input", "fifo"}, 1,
         "sovane05-lyrics: fifo: cannot read the lyric file: not a regular file\n"
         "sovane05-lyrics: fifo: 1 error: nothing made\n"},
        {{"--input", "folder.lrc"}, 1,
         "sovane05-lyrics: folder.lrc: cannot read the lyric file: Is a directory\n"
         "sovane05-lyrics: folder.lrc: 1 error: nothing made\n"},
        {{"--input", "empty.lrc"}, 1,
         "sovane05-lyrics: empty.lrc: the lyric file is empty; nothing to show\n"
         "sovane05-lyrics: empty.lrc: 1 error: nothing made\n"},
        {{"--input", "untimed.lrc"}, 1,
         "sovane05-lyrics: untimed.lrc: no timed line with words: lyrics need lines like [00:12.50] words; nothing to "
         "show\nsovane05-lyrics: untimed.lrc: 1 error: nothing made\n"},
        {{"--input", "good.txt", "--font", "nofont.ttf"}, 1,
         "sovane05-lyrics: nofont.ttf: cannot use the font: no such file\n"
         "sovane05-lyrics: good.txt: 1 error: nothing made\n"},
        {{"--input", "good.txt", "--font", "fifo"}, 1,
         "sovane05-lyrics: fifo: cannot use the font: not a regular file\n"
         "sovane05-lyrics: good.txt: 1 error: nothing made\n"},
        {{"--input", "good.txt", "--output", "file/inside"}, 1,
         "sovane05-lyrics: file/inside: cannot make the folder: Not a directory\n"},
        {{"--input", "good.txt", "--output", "file"}, 1, "sovane05-lyrics: file: cannot make the folder: "},
        {{"--input", "good.txt", "--check"}, 0, "sovane05-lyrics: good.txt: 87 entries in 87 lines: fits the show\n"},
        {{"--frobnicate"}, 2, "sovane05-lyrics: unknown argument '--frobnicate'\nTry 'sovane05-lyrics --help'.\n"},
        {{"--input"}, 2, "sovane05-lyrics: --input needs a value\nTry 'sovane05-lyrics --help'.\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {tool};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = runProcess(command, {}, folder.path(), 60.0);
        std::string shown = c.arguments.front() + " " + (c.arguments.size() > 1 ? c.arguments[1] : "");
        EXPECT_EQ(result.signal, 0) << shown;
        EXPECT_EQ(result.exitStatus, c.exitStatus) << shown << "\n" << result.err;
        EXPECT_EQ(result.err.substr(0, c.err.size()), c.err) << shown;
        EXPECT_EQ(result.out, "") << shown;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "data")) << "--check wrote files";

    // A fault on every line reads as a screenful of them, a count of the rest and the summary.
    ProcessResult wrong = runProcess({tool, "--input", "wrong.lrc"}, {}, folder.path(), 60.0);
    EXPECT_EQ(wrong.exitStatus, 1);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = wrong.err.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(wrong.err.substr(at, end - at));
    ASSERT_EQ(lines.size(), 22u) << wrong.err;
    EXPECT_EQ(lines[19], "sovane05-lyrics: wrong.lrc:20: expected a time tag like [01:02.50] at the start of the line, "
                         "not 'words without a time 19'");
    EXPECT_EQ(lines[20], "sovane05-lyrics: wrong.lrc: 480 more errors like line 20's, up to line 500");
    EXPECT_EQ(lines[21], "sovane05-lyrics: wrong.lrc: 500 errors: nothing made");
    EXPECT_FALSE(std::filesystem::exists(folder / "data"));

    ProcessResult help = runProcess({tool, "--help"}, {}, folder.path(), 60.0);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.substr(0, 23), "usage: sovane05-lyrics ");
}

TEST(DataTools, PhotoToolAnswersUsageErrorsAndRefusesWhatItCannotRead)
{
    TempDir folder;
    const std::string tool = SOVANE05_PHOTO_TOOL;
    makeFifo(folder / "fifo");
    std::filesystem::create_directory(folder / "folder");
    // 18 bytes of TGA header claiming 16384x16384 true-colour pixels: once 27 s and 2.1 GB of
    // decoding for a black print.
    writeFile(folder / "huge.tga", std::string("\0\0\2\0\0\0\0\0\0\0\0\0\0\x40\0\x40\x20\x08", 18));
    // Once a read past the picture's pixels.
    writeTestPng(folder / "strip.png", 8000, 1, 3, std::vector<uint8_t>(8000 * 3, 200));
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string err;
    };
    const Case cases[] = {
        {{"--size", "10by10"}, 2,
         "sovane05-photo: --size needs WIDTHxHEIGHT between 2 and 8192, not '10by10'\nTry 'sovane05-photo --help'.\n"},
        {{"--size", "1x1"}, 2,
         "sovane05-photo: --size needs WIDTHxHEIGHT between 2 and 8192, not '1x1'\nTry 'sovane05-photo --help'.\n"},
        {{"--output"}, 2, "sovane05-photo: --output needs a value\nTry 'sovane05-photo --help'.\n"},
        {{"--colour"}, 2, "sovane05-photo: unknown argument '--colour'\nTry 'sovane05-photo --help'.\n"},
        {{"--output", "no/such/folder/p.png"}, 1,
         "sovane05-photo: no/such/folder/p.png: cannot write: No such file or directory\n"},
        // Once written as a success: the device took the bytes and lost them.
        {{"--output", "/dev/full", "--size", "16x9"}, 1, "sovane05-photo: /dev/full: cannot write: not a regular file\n"},
        {{"--input", "fifo", "--output", "p.png"}, 1, "sovane05-photo: fifo: cannot read the picture: not a regular file\n"},
        {{"--input", "folder", "--output", "p.png"}, 1, "sovane05-photo: folder: cannot read the picture: Is a directory\n"},
        {{"--input", "huge.tga", "--output", "p.png"}, 1,
         "sovane05-photo: huge.tga: cannot read the picture: the image claims 16384x16384 pixels, over the limit of "
         "67108864 (64 megapixels)\n"},
        {{"--input", "strip.png", "--output", "strip-print.png", "--size", "64x36"}, 0, ""},
        {{"--output", "small.png", "--size", "64x36"}, 0, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {tool};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = runProcess(command, {}, folder.path(), 60.0);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.arguments.front() << "\n" << result.err;
        EXPECT_EQ(result.err.substr(0, c.err.size()), c.err) << c.arguments.front();
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "small.png"));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "strip-print.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "p.png"));
    ProcessResult help = runProcess({tool, "--help"}, {}, folder.path(), 60.0);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.substr(0, 22), "usage: sovane05-photo ");
}
