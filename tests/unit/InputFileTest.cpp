// Opening the show's input files: only regular files are read, never blocking, and read whole
// however their length was reported.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "resources/InputFile.h"
#include "tests/support/TempDir.h"

namespace {

// Reads as the user nobody while it lives, when the test runs as root, for whom no permission
// bit stands in the way.
class AsNobody {
public:
    AsNobody() : switched(geteuid() == 0 && seteuid(65534) == 0) {}
    ~AsNobody()
    {
        if (switched && seteuid(0) != 0)
            std::abort();
    }

private:
    bool switched;
};

}  // namespace

TEST(InputFile, OnlyReadableRegularFilesAreReadAndWhollySo)
{
    TempDir folder;
    writeFile(folder / "plain.txt", "two\nlines");
    std::filesystem::create_directory(folder / "folder");
    makeFifo(folder / "fifo");
    writeFile(folder / "private.txt", "secret");
    chmod((folder / "private.txt").c_str(), 0);
    chmod(folder.path().c_str(), 0755);

    struct Case {
        std::string name;
        std::filesystem::path path;
        std::string text;     // all of it, or for /proc a part
        std::string failure;  // empty when the file is read
        bool missing;
        bool asNobody;
    };
    const Case cases[] = {
        {"plain", folder / "plain.txt", "two\nlines", "", false, false},
        // A length taken in advance would read nothing of this: its size says 0.
        {"length says nothing", "/proc/self/cmdline", "unit_tests", "", false, false},
        {"missing", folder / "none.txt", "", "No such file or directory", true, false},
        {"folder", folder / "folder", "", "Is a directory", false, false},
        {"FIFO", folder / "fifo", "", "not a regular file", false, false},
        {"not ours to read", folder / "private.txt", "", "Permission denied", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InputText input;
        OpenedInput opened;
        {
            std::optional<AsNobody> nobody;
            if (c.asNobody)
                nobody.emplace();
            input = readInputFile(c.path.c_str());
            opened = openInputFile(c.path.c_str(), "r");
        }
        EXPECT_EQ(input.read, c.failure.empty());
        EXPECT_EQ(input.failure, c.failure);
        EXPECT_EQ(input.missing, c.missing);
        EXPECT_EQ(opened.failure, c.failure);
        EXPECT_EQ(opened.missing, c.missing);
        EXPECT_EQ(opened.file != nullptr, c.failure.empty());
        if (opened.file != nullptr)
            std::fclose(opened.file);
        if (c.path.string().starts_with("/proc/"))
            EXPECT_NE(input.text.find(c.text), std::string::npos) << input.text;
        else
            EXPECT_EQ(input.text, c.text);
    }
}
