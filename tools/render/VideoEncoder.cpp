// The ffmpeg child process that encodes and muxes a video, and the frames it is sent.
#include "tools/render/VideoEncoder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "tools/render/QueuedWriter.h"
#include "tools/render/Yuv420.h"

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
    X264Settings x264 = x264Settings(settings.quality);
    // "file:" keeps a path with a colon from being read as a protocol.
    return {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
            "-f", "rawvideo", "-pixel_format", "yuv420p", "-video_size", size, "-framerate", number(settings.fps),
            "-i", "pipe:0",
            "-i", "file:" + settings.music,
            "-map", "0:v:0", "-map", "1:a:0",
            // atrim cuts at the exact sample; seeking with -ss would land on an MP3 frame.
            "-af", "atrim=start=" + number(settings.from) + ":end=" + number(settings.to) + ",asetpts=PTS-STARTPTS",
            "-c:v", "libx264", "-preset", std::string(x264.preset), "-crf", std::to_string(x264.crf),
            "-pix_fmt", "yuv420p",
            "-c:a", "aac", "-b:a", "192k",
            "-movflags", "+faststart", "-f", "mp4", "file:" + settings.output};
}

VideoEncoder::VideoEncoder(const VideoSettings& settings)
    : width(settings.width), height(settings.height)
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

    ChildSetup setup;
    setup.command = ffmpegCommand(settings);
    setup.input.descriptor = pipeEnds[0];
    setup.error.descriptor = errors;
    ffmpeg = std::make_unique<ChildProcess>(setup);
    close(pipeEnds[0]);
    if (int error = ffmpeg->startError; error != 0) {
        ffmpeg.reset();
        failure = error == ENOENT ? "ffmpeg not found: it comes with Debian's package ffmpeg (apt-get install ffmpeg)"
                                  : std::string("cannot start ffmpeg: ") + std::strerror(error);
        return;
    }
    // One frame written while the next is converted: deeper queues (up to 6) measured no faster.
    queue = std::make_unique<QueuedWriter>(frames, yuv420Bytes(width, height), 2);
}

VideoEncoder::~VideoEncoder()
{
    stop();
    if (errors >= 0)
        close(errors);
}

bool VideoEncoder::write(std::span<const uint8_t> pixels)
{
    std::span<uint8_t> planes = queue ? queue->next() : std::span<uint8_t>();
    if (planes.empty())
        return false;
    rgbaToYuv420(pixels, width, height, planes);
    queue->send();
    return true;
}

void VideoEncoder::closeFrames()
{
    if (frames >= 0) {
        close(frames);
        frames = -1;
    }
}

std::string VideoEncoder::finish()
{
    bool whole = queue && queue->drain();
    closeFrames();
    if (!ffmpeg)
        return "ffmpeg is not running";
    ChildExit ended = ffmpeg->wait();
    ffmpeg.reset();
    if (ended.status == 0)
        return whole ? "" : "ffmpeg stopped taking frames";
    std::string said = lastWords();
    if (!said.empty())
        return "ffmpeg failed: " + said;
    if (ended.signal != 0)
        return "ffmpeg ended on signal " + std::to_string(ended.signal);
    return "ffmpeg failed with exit status " + std::to_string(ended.status);
}

void VideoEncoder::stop()
{
    // ffmpeg first: a write it would never take then fails, and the queue ends.
    ffmpeg.reset();
    queue.reset();
    closeFrames();
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
    // A last line that ends in "-- " with nothing after it ("Error initializing output stream
    // 0:1 -- ", as ffmpeg ends on a full disk) gives no reason; the line before it does.
    auto trimEnd = [&] {
        while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' '))
            said.pop_back();
    };
    trimEnd();
    size_t lineStart = said.rfind('\n');
    if (lineStart != std::string::npos && said.ends_with("--")) {
        said.erase(lineStart);
        trimEnd();
        lineStart = said.rfind('\n');
    }
    return lineStart == std::string::npos ? said : said.substr(lineStart + 1);
}
