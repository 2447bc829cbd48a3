// ffprobe and ffmpeg run as child processes, ffprobe's findings and both children's reports in
// files of the scratch folder, ffmpeg's samples down a pipe into the shared audio library's
// encoder; its measure of MP3 files gives the length.
#include "tools/make/MusicImport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "platform/system/ChildProcess.h"
#include "platform/system/OutputFile.h"
#include "rules/InputFile.h"
#include "tools/lib/audio/Mp3Encoder.h"
#include "tools/lib/audio/Mp3Length.h"

namespace fs = std::filesystem;

namespace {

struct ChildResult {
    int exitStatus = -1;   // -1 when it could not run or a signal ended it
    bool stopped = false;  // a stop request ended it
    std::string err;       // its standard error, first line
};

std::string firstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "no reason given" : line;
}

// What a child wrote into a scratch file; "" when there is none.
std::string readScratch(const fs::path& path)
{
    return readInputFile(path.c_str()).text;
}

ChildResult resultOf(ChildProcess& child, const std::vector<std::string>& command, const fs::path& err)
{
    ChildResult result;
    if (child.startError != 0) {
        result.err = "cannot run " + command[0] + ": " + std::strerror(child.startError);
        return result;
    }
    ChildExit ended = child.wait();
    result.exitStatus = ended.status;
    result.stopped = ended.stopped;
    result.err = firstLine(readScratch(err));
    return result;
}

// The song's container format as ffprobe names it, when it holds sound; nothing, with the
// reason in `failure` (empty after a stop), when not.
std::optional<std::string> probeFormat(const fs::path& song, const fs::path& scratch, std::string& failure)
{
    const fs::path out = scratch / "child.out";
    const fs::path err = scratch / "child.err";
    const std::vector<std::string> command = {"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                              "stream=codec_type:format=format_name", "-of",
                                              "default=noprint_wrappers=1", song.string()};
    ChildProcess child({.command = command, .input = {}, .output = {.file = out}, .error = {.file = err}});
    ChildResult probe = resultOf(child, command, err);
    if (probe.stopped)
        return std::nullopt;
    std::string found = readScratch(out);
    if (probe.exitStatus != 0 || found.find("codec_type=audio") == std::string::npos) {
        failure = song.string() + ": not music that ffmpeg reads" + (probe.exitStatus != 0 ? ": " + probe.err : "");
        return std::nullopt;
    }
    std::size_t format = found.find("format_name=");
    return found.substr(format + 12, found.find('\n', format) - format - 12);
}

// ffmpeg's samples of the song, 32-bit float stereo at 44.1 kHz, through LAME as they come; the
// MP3's bytes, or nothing with the reason in `failure` (empty after a stop).
std::optional<std::vector<unsigned char>> encodeWithLame(const fs::path& song, const fs::path& scratch,
                                                         std::string& failure)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        failure = song.string() + ": cannot run ffmpeg: " + std::strerror(errno);
        return std::nullopt;
    }
    const fs::path err = scratch / "child.err";
    const std::vector<std::string> command = {"ffmpeg", "-v", "error", "-nostdin", "-i", song.string(), "-vn",
                                              "-ac", "2", "-ar", "44100", "-f", "f32le", "pipe:1"};
    ChildProcess child({.command = command, .input = {}, .output = {.descriptor = ends[1], .file = {}},
                        .error = {.file = err}});
    close(ends[1]);
    std::unique_ptr<int, void (*)(int*)> reading(&ends[0], [](int* end) { close(*end); });

    compose::Mp3Encoder encoder({});
    constexpr std::size_t kFrameBytes = 2 * sizeof(float);
    // A frame may arrive split between two blocks; its first part waits here.
    std::vector<char> pending;
    std::vector<float> samples;
    std::size_t frames = 0;
    bool drained = child.startError == 0 && child.drain(ends[0], [&](std::span<const char> bytes) {
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        std::size_t whole = pending.size() / kFrameBytes;
        samples.resize(whole * 2);
        std::memcpy(samples.data(), pending.data(), whole * kFrameBytes);
        encoder.addInterleaved(samples.data(), whole);
        frames += whole;
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(whole * kFrameBytes));
        return true;
    });
    ChildResult decode = resultOf(child, command, err);
    if (decode.stopped) {
        failure.clear();
        return std::nullopt;
    }
    if (!drained || decode.exitStatus != 0) {
        failure = song.string() + ": ffmpeg cannot decode it: " + decode.err;
        return std::nullopt;
    }
    if (frames == 0) {
        failure = song.string() + ": holds no sound";
        return std::nullopt;
    }
    return encoder.finish();
}

// The song copied as it is, read through the input check: "" or what went wrong.
std::string copySong(const fs::path& song, const fs::path& target, const fs::path& shownTarget)
{
    OpenedInput opened = openInputFile(song.c_str(), "rb");
    if (opened.file == nullptr)
        return song.string() + ": cannot read the music: " + opened.failure;
    OutputFile output(target);
    std::string failure = output.copyFrom(opened.file);
    std::fclose(opened.file);
    if (failure.rfind("cannot read", 0) == 0)
        return song.string() + ": " + failure;
    if (failure.empty())
        failure = output.commit();
    return failure.empty() ? "" : shownTarget.string() + ": " + failure;
}

}  // namespace

std::optional<ImportedMusic> importMusic(const fs::path& song, const fs::path& target, const fs::path& shownTarget,
                                         const fs::path& scratch, const std::function<bool()>& stopRequested,
                                         std::string& failure)
{
    // ffprobe would wait on a FIFO for ever and read a folder as nothing.
    OpenedInput opened = openInputFile(song.c_str(), "rb");
    if (opened.file == nullptr) {
        failure = song.string() + ": cannot read the music: " + opened.failure;
        return std::nullopt;
    }
    std::fclose(opened.file);
    std::optional<std::string> format = probeFormat(song, scratch, failure);
    if (!format)
        return std::nullopt;
    ImportedMusic music;
    music.format = *format;

    std::string measureFailure;
    if (music.format == "mp3") {
        failure = copySong(song, target, shownTarget);
        if (!failure.empty())
            return std::nullopt;
        if (std::optional<double> seconds = measureMp3(target.string(), measureFailure, stopRequested)) {
            music.seconds = *seconds;
            return music;
        }
    }
    if (stopRequested())
        return std::nullopt;

    // Anything else, or an MP3 the show's decoder refuses: ffmpeg's samples through LAME.
    std::optional<std::vector<unsigned char>> mp3 = encodeWithLame(song, scratch, failure);
    if (!mp3 || stopRequested())
        return std::nullopt;
    if (std::optional<std::string> error = writeFileAtomically(target, *mp3)) {
        failure = shownTarget.string() + ": " + *error;
        return std::nullopt;
    }
    std::optional<double> seconds = measureMp3(target.string(), measureFailure, stopRequested);
    if (!seconds) {
        if (!measureFailure.empty())
            failure = song.string() + ": the show cannot play it even re-encoded: " + measureFailure;
        return std::nullopt;
    }
    music.seconds = *seconds;
    music.reencoded = true;
    return music;
}
