// Every tool that writes, writing onto a full disk: a small tmpfs the test mounts and fills. Each
// must end with status 1 and one message giving the reason, and leave the file system exactly as
// it was: no file under a final name that is not complete, no partial file, and what was there
// before (an old show's lyrics) untouched.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/FixtureShow.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMusic.h"

namespace {

namespace fs = std::filesystem;

// A tmpfs of its own at `path`, filled up to `freeBytes` (rounded to its pages).
class SmallFileSystem {
public:
    explicit SmallFileSystem(const fs::path& where) : path(where)
    {
        fs::create_directories(path);
        if (mount("tmpfs", path.c_str(), "tmpfs", 0, "size=4m") != 0)
            failure = std::strerror(errno);
    }
    ~SmallFileSystem()
    {
        if (failure.empty())
            umount2(path.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    // Writes a filler file until the disk is full, then gives `freeBytes` back.
    void fill(std::uintmax_t freeBytes) const
    {
        fs::path filler = path / "filler";
        {
            std::ofstream out(filler, std::ios::binary);
            std::string block(4096, 'x');
            while (out.write(block.data(), std::streamsize(block.size())))
                out.flush();
        }
        std::uintmax_t size = fs::file_size(filler);
        fs::resize_file(filler, size > freeBytes ? size - freeBytes : 0);
    }

    const fs::path path;
    std::string failure;  // why it could not be mounted, or ""
};

// Every file under `folder` with its content; the filler by its size alone.
std::map<fs::path, std::string> contentsOf(const fs::path& folder)
{
    std::map<fs::path, std::string> contents;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename() == "filler")
            contents[entry.path()] = std::to_string(entry.file_size()) + " bytes";
        else
            contents[entry.path()] = entry.is_regular_file() ? readFile(entry.path()) : "<folder>";
    }
    return contents;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

}  // namespace

TEST(FullDisk, EveryToolThatWritesFailsInOneLineAndLeavesTheDiskAsItWas)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting the small tmpfs that stands for a full disk needs root; /dev/full does not "
                        "suffice, as every tool writes beside its output and renames";
    TempDir folder;
    writeFixtureShow(folder.path());
    fs::copy_file(testMusic(2.0), folder / "data/ywsf.mp3");
    fs::copy_file(testMusic(2.0), folder / "song.mp3");
    writeFile(folder / "song.lrc", "[00:01.00-00:02.00] one\n[00:02.50-00:03.50] two\n");
    writeFile(folder / "old.lrc", "[00:01.00-00:02.00] old\n");

    struct Case {
        std::string tool;
        std::vector<std::string> arguments;  // "full/" names the full disk
        std::uintmax_t freeBytes;            // left free once full: 0, or enough to begin writing
        std::string failing;                 // the start of the one message: the file it names
        bool oldLyrics = false;              // an earlier sovane05-lyrics run's output there before
    };
    const Case cases[] = {
        {SOVANE05_RENDER_TOOL, {"--at", "1", "--at", "2", "--at", "3", "-o", "full/s%d.png", "--size", "64x36"}, 0,
         "sovane05-render: full/s0.png: cannot write: "},
        {SOVANE05_RENDER_TOOL, {"--video", "full/show.mp4", "--size", "64x36", "--fps", "10"}, 0,
         "sovane05-render: full/show.mp4: "},
        // Once three files under their names, one truncated and two empty, and status 0.
        {SOVANE05_PHOTO_TOOL, {"--output", "full/photo.png"}, 64 * 1024, "sovane05-photo: full/photo.png: cannot write: "},
        {SOVANE05_LYRICS_TOOL, {"--input", "song.lrc", "--output", "full/data"}, 0,
         "sovane05-lyrics: full/data/texttiming.txt: cannot write: "},
        // Once 64 of 87 images undecodable and an empty timing file, written over the old ones.
        {SOVANE05_LYRICS_TOOL, {"--input", "song.lrc", "--output", "full/data"}, 8 * 1024, "sovane05-lyrics: full/data/",
         true},
        {SOVANE05_MAKE_TOOL, {"--music", "song.mp3", "--lyrics", "song.lrc", "--output", "full/show"}, 0,
         "sovane05-make: full/show/data/ywsf.mp3: cannot write: "},
        {SOVANE05_COMPOSE_BINARY, {"--output", "full/track.mp3"}, 0, "sovane05-compose: full/track.mp3: cannot write: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fs::path(c.tool).filename().string() + " " + ::testing::PrintToString(c.arguments));
        SmallFileSystem disk(folder / "full");
        if (!disk.failure.empty())
            GTEST_SKIP() << "cannot mount a small tmpfs to stand for a full disk: " << disk.failure;
        if (c.oldLyrics) {
            ProcessResult old = runProcess({SOVANE05_LYRICS_TOOL, "--input", "old.lrc", "--output", "full/data"}, {},
                                           folder.path(), 120.0);
            ASSERT_EQ(old.exitStatus, 0) << old.err;
            writeFile(folder / "full/data/lyrics/notes.txt", "the user's own notes");
        }
        disk.fill(c.freeBytes);
        const std::map<fs::path, std::string> before = contentsOf(disk.path);

        std::vector<std::string> command = {c.tool};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = runProcess(command, {"SDL_AUDIODRIVER=dummy"}, folder.path(), 300.0);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        // Progress lines aside, which a run of several frames or images gives.
        std::vector<std::string> lines = linesOf(withoutProgress(result.err));
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_EQ(lines[0].substr(0, c.failing.size()), c.failing) << result.err;
        EXPECT_NE(lines[0].find("No space left on device"), std::string::npos) << result.err;
        EXPECT_EQ(contentsOf(disk.path), before) << "the full disk was written on, or something left behind";
    }
}
