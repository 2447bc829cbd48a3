// The real compose binary: its options and exit codes, the MP3 it writes (decoded by ffmpeg),
// byte-identical reruns that match the committed data/ywsf.mp3, and a clean stop on SIGTERM.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tools/lib/base/Progress.h"

namespace {

const std::string kCompose = SOVANE05_COMPOSE_BINARY;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

}  // namespace

TEST(ComposeTool, OptionsAndUsageErrors)
{
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string firstErrorLine;  // empty: nothing on standard error
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, ""},
        {{"--bogus"}, 2, "sovane05-compose: unknown argument '--bogus'"},
        {{"--output"}, 2, "sovane05-compose: --output needs a value"},
        {{"--wav", ""}, 2, "sovane05-compose: --wav needs a value"},
        {{"data/ywsf.mp3"}, 2, "sovane05-compose: unknown argument 'data/ywsf.mp3'"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {kCompose};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        TempDir folder;
        ProcessResult result = runProcess(command, {}, folder.path(), 30.0);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.arguments[0] << ": " << result.err;
        if (c.firstErrorLine.empty()) {
            EXPECT_EQ(result.err, "");
            EXPECT_NE(result.out.find("usage: sovane05-compose"), std::string::npos);
        } else {
            EXPECT_EQ(result.err, c.firstErrorLine + "\nTry 'sovane05-compose --help'.\n");
            EXPECT_EQ(result.out, "");
        }
        // Nothing was written by a usage error or by --help.
        EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << c.arguments[0];
    }
}

TEST(ComposeTool, OnsetsListTheSungNotes)
{
    ProcessResult result = runProcess({kCompose, "--onsets"}, {}, {}, 30.0);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::vector<std::string> onsets = lines(result.out);
    ASSERT_GT(onsets.size(), 87u);
    // "<seconds with four decimals> <note>", such as "7.5000 F#4".
    auto wellFormed = [](const std::string& line) {
        size_t space = line.find(' ');
        size_t point = line.find('.');
        if (space == std::string::npos || point == std::string::npos || point == 0 || space != point + 5)
            return false;
        for (size_t i = 0; i < space; ++i) {
            if (i != point && !std::isdigit(static_cast<unsigned char>(line[i])))
                return false;
        }
        std::string note = line.substr(space + 1);
        bool sharp = note.size() == 3 && note[1] == '#';
        return (note.size() == 2 || sharp) && note[0] >= 'A' && note[0] <= 'G' &&
               std::isdigit(static_cast<unsigned char>(note.back()));
    };
    double previous = -1.0;
    bool chorusLands = false;
    for (const std::string& line : onsets) {
        ASSERT_TRUE(wellFormed(line)) << line;
        std::string time = line.substr(0, line.find(' '));
        double seconds = std::stod(time);
        EXPECT_GT(seconds, previous) << line;
        previous = seconds;
        chorusLands = chorusLands || time == "45.0000";
    }
    EXPECT_EQ(onsets.front().substr(0, 6), "7.5000");
    EXPECT_TRUE(chorusLands);
}

TEST(ComposeTool, WritesTheSameMp3EveryRunAndItDecodesToTheTrackLength)
{
    TempDir folder;
    std::filesystem::path first = folder / "first.mp3";
    std::filesystem::path second = folder / "second.mp3";
    for (const std::filesystem::path& output : {first, second}) {
        ProcessResult result = runProcess({kCompose, "--output", output.string()}, {}, folder.path(), 170.0);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(withoutProgress(result.err),
                  "sovane05-compose: wrote " + output.string() + " (57.9 s, " + sizeInWords(bytesWritten(output)) + ")\n");
        EXPECT_EQ(result.out, "");
    }
    std::string bytes = readFile(first);
    EXPECT_TRUE(bytes == readFile(second)) << "two runs wrote different files";
    EXPECT_LT(bytes.size(), 1500u * 1024u);
    // The committed track is what the score renders to today.
    std::filesystem::path committed = std::filesystem::path(SOVANE05_SOURCE_DIR) / "data" / "ywsf.mp3";
    EXPECT_TRUE(bytes == readFile(committed)) << "data/ywsf.mp3 is stale: regenerate it with compose";

    // ffmpeg honours LAME's Info frame, so the decoded length is the rendered length.
    std::filesystem::path decoded = folder / "decoded.f32";
    ProcessResult ffmpeg = runProcess({"ffmpeg", "-v", "error", "-i", first.string(), "-f", "f32le", "-acodec",
                                       "pcm_f32le", decoded.string()},
                                      {}, folder.path(), 60.0);
    ASSERT_EQ(ffmpeg.exitStatus, 0) << ffmpeg.err;
    ProcessResult probe = runProcess({"ffprobe", "-v", "error", "-show_entries", "stream=sample_rate,channels",
                                      "-of", "default=noprint_wrappers=1", first.string()},
                                     {}, folder.path(), 30.0);
    EXPECT_EQ(probe.out, "sample_rate=44100\nchannels=2\n");

    std::string samples = readFile(decoded);
    ASSERT_EQ(samples.size() % 8, 0u);
    double seconds = double(samples.size()) / 8.0 / 44100.0;
    // It stops just before the photo scene ends at 58 s, so the show ends with it.
    EXPECT_NEAR(seconds, 57.9, 0.001);
    float peak = 0.0f;
    for (std::size_t i = 0; i < samples.size(); i += 4) {
        float value;
        std::memcpy(&value, samples.data() + i, 4);
        peak = std::max(peak, std::fabs(value));
    }
    EXPECT_LT(20.0 * std::log10(peak), 0.0) << "the decoded track clips";
    EXPECT_GT(20.0 * std::log10(peak), -6.0) << "the decoded track is far too quiet";
}

TEST(ComposeTool, FailuresAreOneLineAndLeaveNothingBehind)
{
    TempDir folder;
    std::filesystem::path unwritable = folder / "missing-folder" / "track.mp3";
    ProcessResult missing = runProcess({kCompose, "--wav", unwritable.string()}, {}, folder.path(), 170.0);
    EXPECT_EQ(missing.exitStatus, 1);
    // Said before the mixdown: no progress line comes first.
    EXPECT_EQ(missing.err, "sovane05-compose: " + unwritable.string() + ": cannot write: No such file or directory\n");

    // A full disk behind standard output is reported, not ignored.
    ProcessResult full = runProcess({"sh", "-c", "exec \"$0\" --onsets > /dev/full", kCompose}, {}, folder.path(), 30.0);
    EXPECT_EQ(full.exitStatus, 1);
    EXPECT_EQ(full.err, "sovane05-compose: <standard output>: cannot write the onsets\n");

    // SIGTERM mid-render: compose finishes on its own terms, reports it and writes nothing. The
    // signal is sent once compose catches it, which it does before any work, so it is sent
    // neither too early for the handler nor after the render.
    std::filesystem::path target = folder / "track.mp3";
    Process compose({kCompose, "--output", target.string()}, {}, folder.path());
    while (compose.running() && !compose.catches(SIGTERM))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    compose.signal(SIGTERM);
    ProcessResult stopped = compose.wait(170.0);
    EXPECT_EQ(stopped.signal, 0);
    EXPECT_EQ(stopped.exitStatus, 1) << stopped.err;
    EXPECT_EQ(withoutProgress(stopped.err), "sovane05-compose: " + target.string() + ": interrupted; nothing written\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}
