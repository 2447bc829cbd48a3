// The real show given faulty data: what stops it before the music starts (a name the show asks
// for and the configuration lacks, a malformed mesh) ends it in order with one clear message and
// status 1; what does not (a broken shader, a missing image, a missing timing file) is reported
// and the show plays on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ShowRun.h"
#include "tests/support/Trace.h"

namespace {

// Long enough that a show that wrongly played on would be heard.
constexpr double kLongTrack = 20.0;

void replaceInFile(const std::filesystem::path& path, const std::string& from, const std::string& to)
{
    std::string text = readFile(path);
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " not in " << path;
    writeFile(path, text.replace(at, from.size(), to));
}

}  // namespace

TEST(ShowDataFailures, WhatStopsStartUpEndsTheShowInOrderWithOneMessage)
{
    enum class Music { File, Folder, Fifo };
    struct Case {
        std::string name;
        std::string configFrom;
        std::string configTo;
        std::string meshText;
        std::vector<std::string> lines;
        Music music = Music::File;  // what stands at data/ywsf.mp3
    };
    const Case cases[] = {
        {"no white program", "Shader white data/white.frag data/layer.vert\n", "", "",
         {"sovane05: data/config.txt: no shader program named \"white\""}},
        {"no line texture", "Texture 042 data/lines/042.png\n", "", "",
         {"sovane05: data/config.txt: no texture named \"042\""}},
        {"face index out of range", "Texture photo", "Mesh bad data/bad.mesh\nTexture photo",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n",
         {"sovane05: data/bad.mesh: a face names a position, normal or texture coordinate the file does not have",
          "sovane05: invalid vector subscript"}},
        {"short mesh line", "Texture photo", "Mesh bad data/bad.mesh\nTexture photo", "v 0 0 0\nv 1 0\n",
         {"sovane05: data/bad.mesh:2: a position needs three numbers"}},
        // Once a show held in the kernel's open of the FIFO with its window up, deaf to SIGINT and
        // SIGTERM; and a folder called a corrupt MP3.
        {"music a FIFO", "", "", "", {"sovane05: data/ywsf.mp3: cannot load the music: not a regular file"}, Music::Fifo},
        {"music a folder", "", "", "", {"sovane05: data/ywsf.mp3: cannot load the music: Is a directory"}, Music::Folder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowFolder folder(kLongTrack);
        if (!c.configFrom.empty())
            replaceInFile(folder / "data/config.txt", c.configFrom, c.configTo);
        if (!c.meshText.empty())
            writeFile(folder / "data/bad.mesh", c.meshText);
        if (c.music != Music::File)
            std::filesystem::remove(folder / "data/ywsf.mp3");
        if (c.music == Music::Fifo)
            makeFifo(folder / "data/ywsf.mp3");
        if (c.music == Music::Folder)
            std::filesystem::create_directory(folder / "data/ywsf.mp3");
        ShowRun show(folder.path(), {.arguments = {}, .environment = recordSoundInto(folder / "sound.raw")});
        ProcessResult result = show.finish(60.0);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.signal, 0) << result.err;
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_EQ(musicHeard(folder / "sound.raw").seconds, 0.0) << "the music must not have started";
        EXPECT_EQ(showLines(result.err), c.lines) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(ShowDataFailures, WhatDoesNotStopStartUpIsReportedAndTheShowPlaysOn)
{
    const std::string kFolder = "<folder>";
    const std::string kFifo = "<fifo>";
    struct Case {
        std::string name;
        std::string file;
        std::string content;  // written over the file; empty to remove it, kFolder or kFifo to put one there
        std::string standardOutputStart;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"broken white program", "data/white.frag", "#version 410 core\nvoid main() { broken }\n",
         "Shader error\n#version 410 core\nvoid main() { broken }\n\n", {}},
        // Once a crash: the folder's length read as absurd, and the failed allocation was written.
        {"white program from a folder", "data/white.frag", kFolder, "Shader error\n\n",
         {"sovane05: data/white.frag: cannot open the shader: Is a directory"}},
        {"missing line image", "data/lines/050.png", "", "",
         {"sovane05: data/lines/050.png: cannot load the image: No such file or directory"}},
        {"missing timing file", "data/texttiming.txt", "", "",
         {"sovane05: data/texttiming.txt: cannot open the lyric timing (No such file or directory); every lyric "
          "line stays hidden"}},
        // Once a show that never started: opening a FIFO waits for a writer.
        {"timing file a FIFO", "data/texttiming.txt", kFifo, "",
         {"sovane05: data/texttiming.txt: cannot open the lyric timing (not a regular file); every lyric line "
          "stays hidden"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowFolder folder;
        std::filesystem::remove(folder / c.file);
        if (c.content == kFolder)
            std::filesystem::create_directory(folder / c.file);
        else if (c.content == kFifo)
            makeFifo(folder / c.file);
        else if (!c.content.empty())
            writeFile(folder / c.file, c.content);
        ShowRun show(folder.path());
        ProcessResult result = show.finish(60.0);
        EXPECT_EQ(result.signal, 0) << result.err;
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(showLines(result.err), c.lines) << result.err;
        EXPECT_EQ(result.out.substr(0, c.standardOutputStart.size()), c.standardOutputStart);
        if (c.standardOutputStart.empty()) {
            EXPECT_EQ(result.out, "");
        } else {
            EXPECT_NE(result.out.find("Link error\n"), std::string::npos) << result.out;
        }
    }
}
