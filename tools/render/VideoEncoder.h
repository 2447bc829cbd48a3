// Encoding a video with Debian's ffmpeg: each frame as GL reads it (RGBA, bottom row first) is
// turned into planar YUV 4:2:0 here (tools/render/Yuv420.h) and goes down a pipe, from a thread
// of its own (tools/render/QueuedWriter.h), to an ffmpeg child process, which encodes it as
// H.264 while the next frames are drawn, and muxes the music cut to the video's range as AAC
// into an MP4 with its index at the front (+faststart).
//
//   VideoEncoder encoder(settings);
//   if (!encoder.failure.empty()) ...
//   for (each frame) if (!encoder.write(pixels)) ...
//   std::string failure = encoder.finish();
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/system/ChildProcess.h"
#include "tools/render/QueuedWriter.h"
#include "tools/render/VideoQuality.h"

struct VideoSettings {
    int width = 0;
    int height = 0;
    double fps = 60.0;
    VideoQuality quality = VideoQuality::Normal;
    double from = 0.0;  // the range of the music that goes with the frames, in seconds
    double to = 0.0;
    std::string music;   // the MP3
    std::string output;  // the file ffmpeg writes, MP4 whatever its name
};

// The program and its arguments, starting with "ffmpeg".
std::vector<std::string> ffmpegCommand(const VideoSettings& settings);

class VideoEncoder {
public:
    // Starts ffmpeg, found on PATH, in a process group of its own, so a Ctrl-C on the terminal
    // reaches only this tool, which then decides what becomes of the output.
    explicit VideoEncoder(const VideoSettings& settings);
    // Stops ffmpeg if it still runs.
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Why ffmpeg could not be started, or "".
    std::string failure;

    // Queues one frame, RGBA rows bottom to top. False when ffmpeg no longer takes frames, or
    // when a stop signal came while the queue was full.
    bool write(std::span<const uint8_t> pixels);
    // Ends the frames and waits for ffmpeg to write the file: "" when it did, otherwise what
    // ffmpeg said last. A stop requested meanwhile ends ffmpeg at once.
    std::string finish();
    // Ends ffmpeg at once, its output unfinished.
    void stop();

private:
    std::string lastWords() const;
    void closeFrames();

    int width = 0;
    int height = 0;
    std::unique_ptr<ChildProcess> ffmpeg;  // null once it ended or when it could not start
    int frames = -1;  // the pipe's writing end
    std::unique_ptr<QueuedWriter> queue;  // the frames on their way down the pipe, as YUV 4:2:0
    int errors = -1;  // a memory file holding ffmpeg's standard error
};
