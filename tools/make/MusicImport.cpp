// ffprobe and ffmpeg run as child processes with their output in files of the scratch folder;
// the encoder is compose's, the final decode the shared tools library's.
#include "tools/make/MusicImport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "tools/lib/gl/MusicFile.h"
#include "tools/lib/audio/Mp3Encoder.h"
#include "platform/system/OutputFile.h"
#include "tools/lib/audio/StereoBuffer.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct ChildResult {
    int exitStatus = -1;  // -1 when it could not run or a signal ended it
    std::string err;      // its standard error, first line
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
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ChildResult result;
    if (spawned != 0) {
        result.err = "cannot run " + command[0] + ": " + std::strerror(spawned);
        return result;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = firstLine(readText(err));
    return result;
}

}  // namespace

std::optional<ImportedMusic> importMusic(const fs::path& song, const fs::path& target, const fs::path& scratch,
                                         const std::function<bool()>& stopRequested, std::string& failure)
{
    const fs::path out = scratch / "child.out";
    const fs::path err = scratch / "child.err";
    ChildResult probe = runChild({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                  "stream=codec_type:format=format_name", "-of", "default=noprint_wrappers=1",
                                  song.string()},
                                 out, err);
    std::string found = readText(out);
    if (probe.exitStatus != 0 || found.find("codec_type=audio") == std::string::npos) {
        failure = song.string() + ": not music that ffmpeg reads" + (probe.exitStatus != 0 ? ": " + probe.err : "");
        return std::nullopt;
    }
    ImportedMusic music;
    std::size_t format = found.find("format_name=");
    music.format = found.substr(format + 12, found.find('\n', format) - format - 12);

    std::string decodeFailure;
    if (music.format == "mp3") {
        std::error_code error;
        fs::copy_file(song, target, fs::copy_options::overwrite_existing, error);
        if (error) {
            failure = song.string() + ": cannot copy: " + error.message();
            return std::nullopt;
        }
        if (std::optional<DecodedMusic> decoded = decodeMusic(target.string(), decodeFailure)) {
            music.seconds = decoded->seconds();
            return music;
        }
    }
    if (stopRequested())
        return std::nullopt;

    // Anything else, or an MP3 the show's decoder refuses: ffmpeg's samples through LAME.
    const fs::path samples = scratch / "song.f32";
    ChildResult decode = runChild({"ffmpeg", "-v", "error", "-nostdin", "-y", "-i", song.string(), "-vn", "-ac", "2",
                                   "-ar", "44100", "-f", "f32le", samples.string()},
                                  out, err);
    if (stopRequested())
        return std::nullopt;
    if (decode.exitStatus != 0) {
        failure = song.string() + ": ffmpeg cannot decode it: " + decode.err;
        return std::nullopt;
    }
    std::string bytes = readText(samples);
    fs::remove(samples);
    std::size_t frames = bytes.size() / (2 * sizeof(float));
    if (frames == 0) {
        failure = song.string() + ": holds no sound";
        return std::nullopt;
    }
    compose::StereoBuffer audio(frames);
    for (std::size_t n = 0; n < frames; ++n) {
        std::memcpy(&audio.left[n], bytes.data() + n * 2 * sizeof(float), sizeof(float));
        std::memcpy(&audio.right[n], bytes.data() + (n * 2 + 1) * sizeof(float), sizeof(float));
    }
    std::optional<std::vector<unsigned char>> mp3 = compose::encodeMp3(audio, {}, stopRequested);
    if (!mp3)
        return std::nullopt;
    if (std::optional<std::string> error = compose::writeFileAtomically(target, *mp3)) {
        failure = target.string() + ": " + *error;
        return std::nullopt;
    }
    std::optional<DecodedMusic> decoded = decodeMusic(target.string(), decodeFailure);
    if (!decoded) {
        failure = song.string() + ": the show cannot play it even re-encoded: " + decodeFailure;
        return std::nullopt;
    }
    music.seconds = decoded->seconds();
    music.reencoded = true;
    return music;
}
