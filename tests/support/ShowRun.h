// End-to-end runs of the real sovane05 binary: a virtual display with a window manager (Xvfb
// and openbox, started once per test process), a show folder with its own data/, and a
// running show that tests can send keys and window requests to.
//
//   ShowFolder folder;                         // data/ with a 1.5 s track and an empty config
//   ShowRun show(folder.path());
//   std::string window = show.waitForWindow();
//   xdotool({"key", "--window", window, "Escape"});
//   ProcessResult result = show.finish();
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FixtureShow.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

// The X display name (":N") of this test process's virtual display, 1920×1080, with openbox
// managing it: without a window manager SDL's full-screen window stays 1×1.
const std::string& virtualDisplay();

// Runs an X client (xdotool, wmctrl, xprop, xwininfo) against the virtual display. The timeout
// only ends a client that hangs; on a loaded machine a quick one may take seconds.
ProcessResult xClient(const std::vector<std::string>& command, double timeoutSeconds = 60.0);
inline ProcessResult xdotool(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "xdotool");
    return xClient(arguments);
}

// A temporary show folder: data/ywsf.mp3 of the given length and a complete fixture show
// (tests/support/FixtureShow.h). Tests add, change or remove files under it.
class ShowFolder {
public:
    explicit ShowFolder(double musicSeconds = 1.5, const FixtureShow& show = {});
    const std::filesystem::path& path() const { return folder.path(); }
    std::filesystem::path operator/(std::string_view relative) const { return folder / relative; }

private:
    TempDir folder;
};

struct ShowOptions {
    std::vector<std::string> arguments;
    // Changes to the show's environment ("NAME=value", or "NAME" to remove).
    std::vector<std::string> environment;
    // Records every GL call into <folder>/show.trace with apitrace.
    bool trace = false;
    // The program to start: the built show when empty, or for example an installed launcher.
    std::filesystem::path program = {};
};

class ShowRun {
public:
    explicit ShowRun(const std::filesystem::path& folder, const ShowOptions& options = {});

    // The X window id of the window titled exactly "Sovane05", once it is there, or "" when the
    // show ended without one.
    std::string waitForWindow();
    bool running() { return process->running(); }
    void signal(int number) { process->signal(number); }
    ProcessResult finish(double timeoutSeconds = 60.0) { return process->wait(timeoutSeconds); }

private:
    std::unique_ptr<Process> process;
};

// Environment for a show that plays into `recording` through SDL's disk driver, which writes
// the mix in real time as a sound card would play it: 44.1 kHz, 16-bit, stereo.
std::vector<std::string> recordSoundInto(const std::filesystem::path& recording);

struct HeardMusic {
    double seconds = 0.0;       // from the first to the last sample of the test tone
    double afterSeconds = 0.0;  // the silence recorded after it, until the show closed the device
};
// What a recording made with recordSoundInto holds of a test track (tests/support/TestMusic.h).
// It measures the show by what it played, not by a clock that also counts its start-up.
HeardMusic musicHeard(const std::filesystem::path& recording);

// The text of `apitrace dump` of a trace: one call per line.
std::string dumpTrace(const std::filesystem::path& trace);
