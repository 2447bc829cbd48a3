// The show installed like any other program: `cmake --install` into a temporary prefix, and the
// Debian package CPack makes, extracted into a temporary folder. Nothing is installed on the
// machine itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ShowRun.h"
#include "tests/support/TestMusic.h"
#include "tools/common/CommandLine.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuild = SOVANE05_BUILD_DIR;
const fs::path kSource = SOVANE05_SOURCE_DIR;
// Every command an installation puts into bin/.
const std::vector<std::string> kCommands = {"sovane05", "sovane05-compose", "sovane05-lyrics", "sovane05-photo"};
// Long enough to tell a show that played from one that ended at once; far shorter than the
// installed show's own music, so a run of the wrong show times out.
constexpr double kShortTrack = 1.5;

// Installs this build into `prefix`; what went wrong, or "".
std::string installInto(const fs::path& prefix)
{
    ProcessResult install =
        runProcess({SOVANE05_CMAKE, "--install", kBuild.string(), "--prefix", prefix.string()}, {}, {}, 300.0);
    return install.exitStatus == 0 ? "" : "cmake --install failed:\n" + install.out + install.err;
}

// Builds the Debian package of this build into `folder`; its path, empty after a test failure.
fs::path buildPackage(const fs::path& folder)
{
    ProcessResult cpack = runProcess({SOVANE05_CPACK, "-G", "DEB", "--config", (kBuild / "CPackConfig.cmake").string(),
                                      "-B", folder.string()},
                                     {}, folder, 600.0);
    EXPECT_EQ(cpack.exitStatus, 0) << cpack.out << cpack.err;
    std::string architecture = runProcess({"dpkg", "--print-architecture"}).out;
    architecture.erase(architecture.find_last_not_of('\n') + 1);
    fs::path package = folder / ("sovane05_" + std::string(sovane05Version()) + "_" + architecture + ".deb");
    EXPECT_TRUE(fs::is_regular_file(package)) << package << " was not made:\n" << cpack.out;
    return fs::is_regular_file(package) ? package : fs::path();
}

// Writes the fixture show with a short track into `showFolder`/data, replacing what is there.
void putFixtureShow(const fs::path& showFolder)
{
    fs::remove_all(showFolder / "data");
    writeFixtureShow(showFolder);
    fs::copy_file(testMusic(kShortTrack), showFolder / "data/ywsf.mp3");
}

// Starts `launcher` from a folder that holds no show and expects the show's window, then the end
// of the music with status 0.
void expectPlays(const fs::path& launcher, const std::vector<std::string>& arguments, const std::string& what)
{
    TempDir elsewhere;
    ShowOptions options;
    options.program = launcher;
    options.arguments = arguments;
    ShowRun show(elsewhere.path(), options);
    EXPECT_NE(show.waitForWindow(), "") << what << ": the show's window never appeared";
    ProcessResult result = show.finish();
    EXPECT_FALSE(result.timedOut) << what << ": still playing at the timeout";
    EXPECT_EQ(result.signal, 0) << what;
    EXPECT_EQ(result.exitStatus, 0) << what << "\n" << result.err;
    EXPECT_EQ(result.out, "") << what;
    EXPECT_GE(result.seconds, 0.9 * kShortTrack) << what << ": ended before its music";
}

// Whether `text` begins with `start`, or is empty when `start` is.
bool beginsAs(const std::string& text, const std::string& start)
{
    return start.empty() ? text.empty() : text.starts_with(start);
}

// The lines of `text`.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(Install, LauncherPlaysTheInstalledShowOrAGivenFolderFromAnyFolder)
{
    TempDir prefix;
    ASSERT_EQ(installInto(prefix.path()), "");
    fs::path installedShow = prefix / "share/sovane05";
    EXPECT_EQ(readFile(installedShow / "data/config.txt"), readFile(kSource / "data/config.txt"));
    EXPECT_TRUE(fs::is_regular_file(installedShow / "data/ywsf.mp3"));

    // While the installed show is still the real one, a launcher that ignored FOLDER would play
    // it past the timeout.
    TempDir showFolder;
    putFixtureShow(showFolder.path());
    expectPlays(prefix / "bin/sovane05", {showFolder.path().string()}, "sovane05 FOLDER");

    putFixtureShow(installedShow);
    expectPlays(prefix / "bin/sovane05", {}, "sovane05");
}

TEST(Install, LauncherAnswersRefusesAndPassesOnTheShowsStatus)
{
    TempDir prefix;
    ASSERT_EQ(installInto(prefix.path()), "");
    TempDir notAShow;
    writeFile(notAShow / "data/texttiming.txt", "");
    const std::string launcher = (prefix / "bin/sovane05").string();
    const std::string version = std::string(sovane05Version());
    // Without a display, a show that started would fail and say so.
    const std::vector<std::string> noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};

    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string out;  // its start
        std::string err;  // its start
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "usage: sovane05 [FOLDER]\n", ""},
        {{"--version"}, 0, "sovane05 " + version + "\n", ""},
        {{notAShow.path().string()}, 1, "", "sovane05: " + notAShow.path().string() + ": not a show folder: no data/config.txt\n"},
        {{(notAShow / "missing").string()}, 1, "", "sovane05: " + (notAShow / "missing").string() + ": not a show folder"},
        {{"--fullscreen"}, 2, "", "sovane05: unknown option '--fullscreen'\nusage: sovane05 [FOLDER]\n"},
        {{"one", "two"}, 2, "", "sovane05: one show folder at most\nusage: sovane05 [FOLDER]\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {launcher};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = runProcess(command, noDisplay, notAShow.path());
        const std::string& shown = c.arguments.front();
        EXPECT_EQ(result.exitStatus, c.exitStatus) << shown << "\n" << result.err;
        EXPECT_TRUE(beginsAs(result.out, c.out)) << shown << ": standard output\n" << result.out;
        EXPECT_TRUE(beginsAs(result.err, c.err)) << shown << ": standard error\n" << result.err;
        if (c.exitStatus == 1) {
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << shown << ": one line";
        }
    }

    // The show's own failure comes through the launcher with its status.
    ProcessResult failed = runProcess({launcher}, noDisplay, notAShow.path());
    EXPECT_EQ(failed.exitStatus, 1) << failed.err;
    EXPECT_NE(failed.err.find("sovane05: no display to show on: "), std::string::npos) << failed.err;

    // With its data gone, the installation says where it looked.
    fs::remove(prefix / "share/sovane05/data/config.txt");
    ProcessResult broken = runProcess({launcher}, noDisplay, notAShow.path());
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_EQ(broken.err, "sovane05: " + (prefix / "share/sovane05").string() + ": not a show folder: no data/config.txt\n");
}

TEST(Install, EveryCommandAnswersItsVersionAndHasAManualPage)
{
    TempDir prefix;
    ASSERT_EQ(installInto(prefix.path()), "");
    std::set<std::string> installed;
    for (const auto& entry : fs::directory_iterator(prefix / "bin"))
        installed.insert(entry.path().filename().string());
    EXPECT_EQ(installed, std::set<std::string>(kCommands.begin(), kCommands.end()));

    for (const std::string& command : kCommands) {
        ProcessResult version = runProcess({(prefix / "bin" / command).string(), "--version"});
        EXPECT_EQ(version.exitStatus, 0) << command;
        EXPECT_EQ(version.out, command + " " + std::string(sovane05Version()) + "\n");

        ProcessResult page = runProcess({"gzip", "-dc", (prefix / "share/man/man1" / (command + ".1.gz")).string()});
        EXPECT_EQ(page.exitStatus, 0) << command << ": no manual page\n" << page.err;
        std::string title = command;
        std::transform(title.begin(), title.end(), title.begin(), [](unsigned char c) { return std::toupper(c); });
        EXPECT_NE(page.out.find(".TH " + title + " \"1\""), std::string::npos) << command << "\n" << page.out;
        // Made from the command's own --help, which names --version.
        EXPECT_NE(page.out.find("\\-\\-version"), std::string::npos) << command << "\n" << page.out;
    }
}

TEST(Package, ListsTheRuntimeDependenciesAndTheInstalledFiles)
{
    TempDir folder;
    fs::path package = buildPackage(folder.path());
    ASSERT_FALSE(package.empty());

    ProcessResult depends = runProcess({"dpkg-deb", "--field", package.string(), "Depends"});
    ASSERT_EQ(depends.exitStatus, 0) << depends.err;
    std::set<std::string> names;
    std::istringstream list(depends.out);
    for (std::string item; std::getline(list, item, ',');) {
        item.erase(0, item.find_first_not_of(" \n"));
        names.insert(item.substr(0, item.find_first_of(" (|\n")));
    }
    // Library packages by the start of their names, which carries no soname.
    for (std::string_view needed : {"libsdl2-2", "libsdl2-mixer-2", "libglew", "libfreetype", "libmp3lame", "libgl1-mesa-dri",
                                     "libegl-mesa0", "ffmpeg", "fonts-dejavu-core"}) {
        bool found = std::any_of(names.begin(), names.end(), [&](const std::string& name) { return name.starts_with(needed); });
        EXPECT_TRUE(found) << needed << " is not among the dependencies: " << depends.out;
    }

    ProcessResult contents = runProcess({"dpkg-deb", "--contents", package.string()});
    ASSERT_EQ(contents.exitStatus, 0) << contents.err;
    std::set<std::string> files;
    for (const std::string& line : linesOf(contents.out))
        files.insert(line.substr(line.rfind(' ') + 1));
    std::vector<std::string> expected = {"./usr/libexec/sovane05/sovane05",
                                         "./usr/share/sovane05/data/config.txt",
                                         "./usr/share/sovane05/data/ywsf.mp3",
                                         "./usr/share/sovane05/data/lyrics/000.png",
                                         "./usr/share/applications/sovane05.desktop",
                                         "./usr/share/icons/hicolor/scalable/apps/sovane05.svg"};
    for (const std::string& command : kCommands) {
        expected.push_back("./usr/bin/" + command);
        expected.push_back("./usr/share/man/man1/" + command + ".1.gz");
    }
    for (const std::string& file : expected)
        EXPECT_TRUE(files.contains(file)) << file << " is not in the package";
}

TEST(Package, ExtractedAnywhereItsLauncherPlaysAndItsMenuEntryIsValid)
{
    TempDir folder;
    fs::path package = buildPackage(folder.path());
    ASSERT_FALSE(package.empty());
    fs::path root = folder / "root";
    ProcessResult extract = runProcess({"dpkg-deb", "-x", package.string(), root.string()});
    ASSERT_EQ(extract.exitStatus, 0) << extract.err;

    fs::path entry = root / "usr/share/applications/sovane05.desktop";
    ProcessResult validate = runProcess({"desktop-file-validate", entry.string()});
    EXPECT_EQ(validate.exitStatus, 0) << validate.out << validate.err;
    EXPECT_EQ(validate.out + validate.err, "");
    EXPECT_NE(readFile(entry).find("\nExec=sovane05\n"), std::string::npos) << "the entry starts the launcher";

    putFixtureShow(root / "usr/share/sovane05");
    expectPlays(root / "usr/bin/sovane05", {}, "the extracted sovane05");
}
