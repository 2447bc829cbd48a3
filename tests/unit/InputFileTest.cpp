// Reading the show's input files: read whole however their length was reported, and refused
// when the user may not read them (folders and FIFOs are covered with each loader).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "rules/InputFile.h"
#include "tests/support/TempDir.h"

TEST(InputFile, ReadableFilesAreReadWholeAndOthersNamedWhy)
{
    TempDir folder;
    writeFile(folder / "plain.txt", "two\nlines");
    writeFile(folder / "private.txt", "secret");
    chmod((folder / "private.txt").c_str(), 0);
    chmod(folder.path().c_str(), 0755);
    struct Case {
        std::filesystem::path path;
        std::string text;     // all of it, or for /proc a part
        std::string failure;  // "" when read
    };
    const Case cases[] = {
        {folder / "plain.txt", "two\nlines", ""},
        // Its size says 0: a length taken in advance would read nothing.
        {"/proc/self/cmdline", "unit_tests", ""},
        {folder / "private.txt", "", "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        // Root passes every permission bit: it reads as the user nobody here.
        bool asNobody = geteuid() == 0 && seteuid(65534) == 0;
        InputText input = readInputFile(c.path.c_str());
        if (asNobody) {
            ASSERT_EQ(seteuid(0), 0);
        }
        EXPECT_EQ(input.read, c.failure.empty());
        EXPECT_EQ(input.failure, c.failure);
        EXPECT_EQ(input.missing, false);
        if (c.path.string().starts_with("/proc/"))
            EXPECT_NE(input.text.find(c.text), std::string::npos) << input.text;
        else
            EXPECT_EQ(input.text, c.text);
    }
}
