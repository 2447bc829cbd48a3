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
bool encodeWithLame(const fs::path& song, const fs::path& target, const fs::path& scratch, const MusicCut& cut,
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
        failure = target.string() + ": " + *error;
        return false;
    }
    return true;
}

}  // namespace

std::optional<ImportedMusic> importMusic(const fs::path& song, const fs::path& target, const fs::path& scratch,
                                         const MusicCut& cut, const std::function<bool()>& stopRequested,
                                         std::string& failure)
{
    std::optional<std::string> format = probeFormat(song, scratch, failure);
    if (!format)
        return std::nullopt;
    ImportedMusic music;
    music.format = *format;

    std::string decodeFailure;
    if (music.format == "mp3" && !cut.cuts()) {
        std::error_code error;
        fs::copy_file(song, target, fs::copy_options::overwrite_existing, error);
        if (error) {
            failure = song.string() + ": cannot copy: " + error.message();
            return std::nullopt;
        }
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
    if (!encodeWithLame(song, target, scratch, cut, music.songSeconds, stopRequested, failure))
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
