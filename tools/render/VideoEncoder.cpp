// The ffmpeg child process that encodes and muxes a video.
#include "tools/render/VideoEncoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

extern char** environ;

namespace {

std::string number(double value)
{
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end);
}

}  // namespace

std::vector<std::string> ffmpegCommand(const VideoSettings& settings)
{
    std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    // "file:" keeps a path with a colon from being read as a protocol.
    return {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
            "-f", "rawvideo", "-pixel_format", "rgba", "-video_size", size, "-framerate", number(settings.fps),
            "-i", "pipe:0",
            "-i", "file:" + settings.music,
            "-map", "0:v:0", "-map", "1:a:0",
            "-vf", "vflip",
            // atrim cuts at the exact sample; seeking with -ss would land on an MP3 frame.
            "-af", "atrim=start=" + number(settings.from) + ":end=" + number(settings.to) + ",asetpts=PTS-STARTPTS",
            "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
            "-c:a", "aac", "-b:a", "192k",
            "-movflags", "+faststart", "-f", "mp4", "file:" + settings.output};
}

VideoEncoder::VideoEncoder(const VideoSettings& settings)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        failure = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        return;
    }
    frames = pipeEnds[1];
    // A larger pipe lets ffmpeg take a frame in fewer wake-ups; a refusal costs only speed.
    fcntl(frames, F_SETPIPE_SZ, 1 << 20);
    errors = memfd_create("ffmpeg-errors", MFD_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (errors >= 0)
        posix_spawn_file_actions_adddup2(&actions, errors, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    // This tool ignores SIGPIPE, and an ignored signal stays ignored across exec.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> command = ffmpegCommand(settings);
    std::vector<char*> arguments;
    for (std::string& argument : command)
        arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    int spawned = posix_spawnp(&child, "ffmpeg", &actions, &attributes, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipeEnds[0]);
    if (spawned != 0) {
        child = -1;
        failure = spawned == ENOENT ? "ffmpeg not found: it comes with Debian's package ffmpeg (apt-get install ffmpeg)"
                                    : std::string("cannot start ffmpeg: ") + std::strerror(spawned);
    }
}

VideoEncoder::~VideoEncoder()
{
    stop();
    if (errors >= 0)
        close(errors);
}

bool VideoEncoder::write(std::span<const uint8_t> frame)
{
    while (!frame.empty()) {
        ssize_t written = ::write(frames, frame.data(), frame.size());
        if (written < 0)
            return false;
        frame = frame.subspan(size_t(written));
    }
    return true;
}

std::string VideoEncoder::finish()
{
    if (frames >= 0) {
        close(frames);
        frames = -1;
    }
    if (child < 0)
        return "ffmpeg is not running";
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return "";
    std::string said = lastWords();
    if (!said.empty())
        return "ffmpeg failed: " + said;
    if (WIFSIGNALED(status))
        return "ffmpeg ended on signal " + std::to_string(WTERMSIG(status));
    return "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status));
}

void VideoEncoder::stop()
{
    if (frames >= 0) {
        close(frames);
        frames = -1;
    }
    if (child < 0)
        return;
    kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    child = -1;
}

std::string VideoEncoder::lastWords() const
{
    if (errors < 0)
        return "";
    std::string said;
    char chunk[4096];
    ssize_t got = 0;
    for (off_t at = 0; (got = pread(errors, chunk, sizeof chunk, at)) > 0; at += got)
        said.append(chunk, size_t(got));
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r'))
        said.pop_back();
    size_t lineStart = said.rfind('\n');
    return lineStart == std::string::npos ? said : said.substr(lineStart + 1);
}
