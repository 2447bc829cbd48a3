// The show installed like any other program: `cmake --install` into a temporary prefix, and the
// Debian package CPack makes, extracted into a temporary folder. Nothing is installed on the
// machine itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/ShowRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMusic.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/glyphs/FontPackages.h"

namespace fs = std::filesystem;

namespace {

// Far shorter than the installed show's own music: a launcher that played that one instead
// would run past the timeout.
constexpr double kShortTrack = 1.5;

// Writes the fixture show with a short track into `showFolder`/data, replacing what is there.
void putFixtureShow(const fs::path& showFolder)
{
    fs::remove_all(showFolder / "data");
    writeFixtureShow(showFolder);
    fs::copy_file(testMusic(kShortTrack), showFolder / "data/ywsf.mp3");
}

// Starts `launcher` from a folder that holds no show; expects the show's window, then the end of
// its music with status 0.
void expectPlays(const fs::path& launcher, const std::vector<std::string>& arguments)
{
    TempDir elsewhere;
    ShowRun show(elsewhere.path(), {.arguments = arguments, .environment = {}, .trace = false, .program = launcher});
    EXPECT_NE(show.waitForWindow(), "") << launcher << ": the show's window never appeared";
    ProcessResult result = show.finish();
    EXPECT_EQ(result.exitStatus, 0) << launcher << (result.timedOut ? " still played at the timeout\n" : "\n") << result.err;
    EXPECT_GE(result.seconds, 0.9 * kShortTrack) << launcher << " ended before its music";
}

}  // namespace

TEST(Install, LauncherPlaysTheInstalledShowOrAGivenOneFromAnyFolderAndPassesOnItsStatus)
{
    TempDir prefix;
    ProcessResult install =
        runProcess({SOVANE05_CMAKE, "--install", SOVANE05_BUILD_DIR, "--prefix", prefix.path().string()}, {}, {}, 300.0);
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    const fs::path launcher = prefix / "bin/sovane05";
    for (std::string command : {"sovane05", "sovane05-compose", "sovane05-lyrics", "sovane05-photo", "sovane05-check",
                                "sovane05-render", "sovane05-make", "sovane05-preview", "sovane05-web"}) {
        EXPECT_EQ(runProcess({(prefix / "bin" / command).string(), "--version"}).out,
                  command + " " + std::string(sovane05Version()) + "\n");
        // Its manual page: one synopsis paragraph naming the command, and the README's examples.
        std::string page = runProcess({"gzip", "-dc", (prefix / "share/man/man1" / (command + ".1.gz")).string()}).out;
        size_t synopsis = page.find(".SH SYNOPSIS\n");
        ASSERT_NE(synopsis, std::string::npos) << command << "\n" << page;
        std::string section = page.substr(synopsis, page.find(".SH", synopsis + 1) - synopsis);
        EXPECT_EQ(page.find("usage:"), std::string::npos) << "the synopsis says it:\n" << page;
        EXPECT_EQ(section.find("\n\n"), std::string::npos) << section;
        std::string roffName = command;
        if (size_t dash = roffName.find('-'); dash != std::string::npos)
            roffName.replace(dash, 1, "\\-");
        EXPECT_NE(page.find(".SH EXAMPLES\n.TP\n.B " + roffName), std::string::npos) << command << "\n" << page;
    }

    // Outside any show folder the installed checker reads the installed data, says so, and finds
    // the shipped show clean.
    TempDir elsewhere;
    ProcessResult check = runProcess({(prefix / "bin/sovane05-check").string()}, {}, elsewhere.path(), 120.0);
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_EQ(check.out, "0 errors, 0 warnings\n");
    EXPECT_EQ(check.err, "sovane05-check: reading " + fs::canonical(prefix / "share/sovane05/data").string() + "\n");

    // The installed page goes into the site the installed sovane05-web makes of the installed show.
    ProcessResult web = runProcess({(prefix / "bin/sovane05-web").string(), "--output", "site"}, {}, elsewhere.path());
    if (std::string_view(SOVANE05_PAGE_DIR) == "") {
        EXPECT_EQ(web.exitStatus, 1) << "a site without the page's program: " << web.err;
    } else {
        EXPECT_EQ(web.exitStatus, 0) << web.err;
        EXPECT_TRUE(fs::exists(prefix / "share/sovane05/web/sovane05.wasm"));
        EXPECT_EQ(readFile(elsewhere / "site/sovane05.wasm"), readFile(prefix / "share/sovane05/web/sovane05.wasm"));
        EXPECT_EQ(readFile(elsewhere / "site/data/config.txt"), readFile(prefix / "share/sovane05/data/config.txt"));
    }

    // The installed show starts, finds no display and fails: its status comes through.
    ProcessResult failed = runProcess({launcher.string()}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_NE(failed.err.find("sovane05: no display to show on: "), std::string::npos) << failed.err;
    ProcessResult refused = runProcess({launcher.string(), prefix.path().string()});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err, "sovane05: " + prefix.path().string() + ": not a show folder: no data/config.txt\n");

    TempDir showFolder;
    putFixtureShow(showFolder.path());
    expectPlays(launcher, {showFolder.path().string()});
    putFixtureShow(prefix / "share/sovane05");
    expectPlays(launcher, {});
}

TEST(Package, ListsItsDependenciesAndFilesAndPlaysWhereverExtracted)
{
    TempDir folder;
    ProcessResult cpack = runProcess(
        {SOVANE05_CPACK, "-G", "DEB", "--config", SOVANE05_BUILD_DIR "/CPackConfig.cmake", "-B", folder.path().string()},
        {}, folder.path(), 600.0);
    ASSERT_EQ(cpack.exitStatus, 0) << cpack.out << cpack.err;
    std::string architecture = runProcess({"dpkg", "--print-architecture"}).out;
    const fs::path package = folder / ("sovane05_" + std::string(sovane05Version()) + "_" +
                                       architecture.substr(0, architecture.find('\n')) + ".deb");

    std::string depends = runProcess({"dpkg-deb", "--field", package.string(), "Depends"}).out;
    for (const char* needed : {"libsdl2-2", "libsdl2-mixer-2", "libglew", "libfreetype", "libmp3lame", "libaubio", "libgl1-mesa-dri",
                               "libegl-mesa0", "ffmpeg", "fonts-dejavu-core"})
        EXPECT_NE(depends.find(needed), std::string::npos) << needed << " is not among the dependencies: " << depends;
    std::string recommends = runProcess({"dpkg-deb", "--field", package.string(), "Recommends"}).out;
    for (std::string_view font : recommendedFontPackages())
        EXPECT_NE(recommends.find(font), std::string::npos) << font << " is not recommended: " << recommends;

    std::string contents = runProcess({"dpkg-deb", "--contents", package.string()}).out;
    for (std::string file : {"libexec/sovane05/sovane05", "share/sovane05/data/config.txt", "share/applications/sovane05.desktop",
                             "share/icons/hicolor/scalable/apps/sovane05.svg", "bin/sovane05-photo", "man/man1/sovane05-photo.1.gz",
                             "bin/sovane05-check", "man/man1/sovane05-check.1.gz", "bin/sovane05-web"})
        EXPECT_NE(contents.find("/" + file + "\n"), std::string::npos) << file << " is not in the package";

    const fs::path root = folder / "root";
    ASSERT_EQ(runProcess({"dpkg-deb", "-x", package.string(), root.string()}).exitStatus, 0);
    ProcessResult menu = runProcess({"desktop-file-validate", (root / "usr/share/applications/sovane05.desktop").string()});
    EXPECT_EQ(menu.exitStatus, 0) << menu.out << menu.err;
    if (std::string_view(SOVANE05_PAGE_DIR) != "") {
        EXPECT_NE(contents.find("/share/sovane05/web/sovane05.wasm\n"), std::string::npos)
            << "the page is not in the package";
    }
    putFixtureShow(root / "usr/share/sovane05");
    expectPlays(root / "usr/bin/sovane05", {});
}
