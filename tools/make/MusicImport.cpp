// ffprobe and ffmpeg run as child processes with their output in files of the scratch folder;
// the encoder is the shared audio library's, the final decode the shared GL library's.
#include "tools/make/MusicImport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/system/ChildProcess.h"
#include "platform/system/OutputFile.h"
#include "rules/InputFile.h"
#include "tools/lib/audio/Mp3Encoder.h"
#include "tools/lib/audio/StereoBuffer.h"
#include "tools/lib/gl/MusicFile.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/make/ShowPlan.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRate = 44100.0;

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

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Runs `command` with standard input from /dev/null, output and error into files.
ChildResult runChild(const std::vector<std::string>& command, const fs::path& out, const fs::path& err)
{
    ChildProcess child({.command = command, .input = {}, .output = {.file = out}, .error = {.file = err}});
    ChildResult result;
    if (child.startError != 0) {
        result.err = "cannot run " + command[0] + ": " + std::strerror(child.startError);
        return result;
    }
    ChildExit ended = child.wait();
    result.exitStatus = ended.status;
    result.stopped = ended.stopped;
    result.err = firstLine(readText(err));
    return result;
}

// The song's container format as ffprobe names it, when it holds sound; nothing, with the
// reason in `failure` (empty after a stop), when not.
std::optional<std::string> probeFormat(const fs::path& song, const fs::path& scratch, std::string& failure)
{
    const fs::path out = scratch / "child.out";
    ChildResult probe = runChild({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                  "stream=codec_type:format=format_name", "-of", "default=noprint_wrappers=1",
                                  song.string()},
                                 out, scratch / "child.err");
    if (probe.stopped)
        return std::nullopt;
    std::string found = readText(out);
    if (probe.exitStatus != 0 || found.find("codec_type=audio") == std::string::npos) {
        failure = song.string() + ": not music that ffmpeg reads" + (probe.exitStatus != 0 ? ": " + probe.err : "");
        return std::nullopt;
    }
    std::size_t format = found.find("format_name=");
    return found.substr(format + 12, found.find('\n', format) - format - 12);
}

// ffmpeg's samples of the song, the part `cut` takes, through LAME into `target`; false, with
// the reason in `failure` (empty after a stop), when that fails.
bool encodeWithLame(const fs::path& song, const fs::path& target, const fs::path& shownTarget, const fs::path& scratch,
                    const MusicCut& cut,
                    double& songSeconds, const std::function<bool()>& stopRequested, std::string& failure)
{
    const fs::path samples = scratch / "song.f32";
    ChildResult decode = runChild({"ffmpeg", "-v", "error", "-nostdin", "-y", "-i", song.string(), "-vn", "-ac", "2",
                                   "-ar", "44100", "-f", "f32le", samples.string()},
                                  scratch / "child.out", scratch / "child.err");
    if (decode.stopped || stopRequested())
        return false;
    if (decode.exitStatus != 0) {
        failure = song.string() + ": ffmpeg cannot decode it: " + decode.err;
        return false;
    }
    std::string bytes = readText(samples);
    fs::remove(samples);
    const long long songFrames = (long long)(bytes.size() / (2 * sizeof(float)));
    songSeconds = double(songFrames) / kRate;
    if (songFrames == 0) {
        failure = song.string() + ": holds no sound";
        return false;
    }
    const long long first = std::llround(cut.from * kRate);
    const long long last = std::min(songFrames, cut.to ? std::llround(*cut.to * kRate) : songFrames);
    if (first >= last) {
        failure = song.string() + ": the song is " + formatLyricSeconds(songSeconds) + " long; --from " +
                  formatLyricSeconds(cut.from) + " leaves nothing of it";
        return false;
    }
    const long long frames = last - first;
    compose::StereoBuffer audio{std::size_t(frames)};
    for (long long n = 0; n < frames; ++n) {
        float gain = float(cutGain(n, frames, first > 0, last < songFrames));
        std::size_t at = std::size_t(first + n) * 2 * sizeof(float);
        std::memcpy(&audio.left[std::size_t(n)], bytes.data() + at, sizeof(float));
        std::memcpy(&audio.right[std::size_t(n)], bytes.data() + at + sizeof(float), sizeof(float));
        audio.left[std::size_t(n)] *= gain;
        audio.right[std::size_t(n)] *= gain;
    }
    std::optional<std::vector<unsigned char>> mp3 = compose::encodeMp3(audio, {}, stopRequested);
    if (!mp3)
        return false;
    if (std::optional<std::string> error = writeFileAtomically(target, *mp3)) {
        failure = shownTarget.string() + ": " + *error;
        return false;
    }
    return true;
}

// The song as it is, checked at every write and synced, as the show's music.
std::string copySong(const fs::path& song, const fs::path& target, const fs::path& shownTarget)
{
    OpenedInput source = openInputFile(song.c_str(), "rb");
    if (source.file == nullptr)
        return song.string() + ": cannot read the music: " + source.failure;
    OutputFile output(target);
    std::string failure = output.copyFrom(source.file);
    std::fclose(source.file);
    if (failure.empty())
        failure = output.commit();
    return failure.empty() ? "" : shownTarget.string() + ": " + failure;
}

}  // namespace

std::optional<ImportedMusic> importMusic(const fs::path& song, const fs::path& target, const fs::path& shownTarget,
                                         const fs::path& scratch, const MusicCut& cut,
                                         const std::function<bool()>& stopRequested, std::string& failure)
{
    // A folder or a FIFO is refused before ffprobe is asked about it: it would wait on a FIFO
    // for ever.
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

    std::string decodeFailure;
    if (music.format == "mp3" && !cut.cuts()) {
        failure = copySong(song, target, shownTarget);
        if (!failure.empty())
            return std::nullopt;
        if (std::optional<DecodedMusic> decoded = decodeMusic(target.string(), decodeFailure)) {
            music.seconds = decoded->seconds();
            music.songSeconds = music.seconds;
            music.decoded = std::move(*decoded);
            return music;
        }
    }
    if (stopRequested())
        return std::nullopt;

    // Anything else, a part of a song, or an MP3 the show's decoder refuses: ffmpeg's samples
    // through LAME.
    if (!encodeWithLame(song, target, shownTarget, scratch, cut, music.songSeconds, stopRequested, failure))
        return std::nullopt;
    std::optional<DecodedMusic> decoded = decodeMusic(target.string(), decodeFailure);
    if (!decoded) {
        failure = song.string() + ": the show cannot play it even re-encoded: " + decodeFailure;
        return std::nullopt;
    }
    music.seconds = decoded->seconds();
    music.reencoded = true;
    music.decoded = std::move(*decoded);
    return music;
}
