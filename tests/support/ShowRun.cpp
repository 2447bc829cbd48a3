// The end-to-end harness: virtual display, show folders and show runs.
#include "tests/support/ShowRun.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

#include "tests/support/TestMusic.h"

namespace {

void pause(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Xvfb and openbox are waited for until they are ready or have ended, never against a clock:
// on a loaded machine their start can take any time, and a test that gave up on a live openbox
// failed for no fault of the show. A hang is ended by the test's own timeout.
struct DisplayServer {
    std::unique_ptr<Process> xvfb;
    std::unique_ptr<Process> windowManager;
    std::string name;

    DisplayServer()
    {
        // -displayfd 1 picks a free display number and writes it to standard output. -noreset
        // keeps the server as it is when its last client leaves: by default it resets then and
        // compiles its keymap again, so every probe made before openbox had connected cost a
        // reset, and under load the resets starved openbox's own start.
        xvfb = std::make_unique<Process>(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-noreset", "-screen", "0",
                                                                  "1920x1080x24", "-nolisten", "tcp"});
        while (name.empty() || name.back() != '\n') {
            if (!xvfb->running())
                throw std::runtime_error("Xvfb did not start: " + xvfb->wait(0.0).err);
            pause(0.02);
            name = xvfb->outputSoFar();
        }
        name = ":" + name.substr(0, name.size() - 1);

        windowManager = std::make_unique<Process>(std::vector<std::string>{"openbox", "--sm-disable"},
                                                  std::vector<std::string>{"DISPLAY=" + name});
        auto managed = [this] {
            ProcessResult check = runProcess({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, {"DISPLAY=" + name});
            return check.out.find("window id") != std::string::npos;
        };
        while (!managed()) {
            if (!windowManager->running() || !xvfb->running()) {
                std::string why = windowManager->wait(0.0).err;
                if (!xvfb->running())
                    why += "(Xvfb had ended: " + xvfb->wait(0.0).err + ")";
                throw std::runtime_error("openbox did not start on " + name + ": " + why);
            }
            pause(0.05);
        }
    }
};

}  // namespace

const std::string& virtualDisplay()
{
    static DisplayServer server;
    return server.name;
}

ProcessResult xClient(const std::vector<std::string>& command, double timeoutSeconds)
{
    return runProcess(command, {"DISPLAY=" + virtualDisplay()}, {}, timeoutSeconds);
}

ShowFolder::ShowFolder(double musicSeconds, const FixtureShow& show)
{
    writeFixtureShow(folder.path(), show);
    std::filesystem::copy_file(testMusic(musicSeconds), folder / "data/ywsf.mp3");
}

ShowRun::ShowRun(const std::filesystem::path& folder, const ShowOptions& options)
{
    std::vector<std::string> command;
    if (options.trace)
        command = {"apitrace", "trace", "--output", (folder / "show.trace").string()};
    command.push_back(options.program.empty() ? SOVANE05_BINARY : options.program.string());
    command.insert(command.end(), options.arguments.begin(), options.arguments.end());

    std::vector<std::string> environment = {
        "DISPLAY=" + virtualDisplay(),
        "SDL_VIDEODRIVER",
        "SDL_AUDIODRIVER=dummy",
        // Every run compiles its shaders afresh, so their reports do not depend on earlier runs.
        "MESA_SHADER_CACHE_DISABLE=true",
        // The show keeps every object to the end by design; apitrace preloads its own library.
        "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0",
    };
    environment.insert(environment.end(), options.environment.begin(), options.environment.end());
    process = std::make_unique<Process>(command, environment, folder);
}

std::string ShowRun::waitForWindow()
{
    while (process->running()) {
        std::string found = xdotool({"search", "--onlyvisible", "--name", "^Sovane05$"}).out;
        if (!found.empty())
            return found.substr(0, found.find('\n'));
        pause(0.05);
    }
    return "";
}

std::vector<std::string> recordSoundInto(const std::filesystem::path& recording)
{
    return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + recording.string(), "SDL_DISKAUDIODELAY"};
}

HeardMusic musicHeard(const std::filesystem::path& recording)
{
    constexpr double kFramesPerSecond = 44100.0;
    // The tone's peaks are near 3000; silence is 0, and the decoder's first and last samples
    // are not full-scale.
    constexpr int kToneLevel = 1000;
    std::string bytes = readFile(recording);
    size_t frames = bytes.size() / 4;
    std::optional<size_t> first;
    size_t last = 0;
    for (size_t frame = 0; frame < frames; ++frame) {
        int16_t left = 0;
        std::memcpy(&left, bytes.data() + frame * 4, 2);
        if (std::abs(int(left)) >= kToneLevel) {
            first = first.value_or(frame);
            last = frame;
        }
    }
    if (!first)
        return {0.0, double(frames) / kFramesPerSecond};
    return {double(last + 1 - *first) / kFramesPerSecond, double(frames - last - 1) / kFramesPerSecond};
}

std::string dumpTrace(const std::filesystem::path& trace)
{
    ProcessResult dump = runProcess({"apitrace", "dump", "--color=never", trace.string()}, {}, {}, 120.0);
    if (dump.exitStatus != 0)
        throw std::runtime_error("apitrace dump failed: " + dump.err);
    return dump.out;
}
