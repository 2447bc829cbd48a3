// Encoding a video with Debian's ffmpeg: raw RGBA frames, bottom row first as GL reads them,
// go down a pipe to an ffmpeg child process, which turns them upright, encodes them as H.264
// (yuv420p) while the next frames are drawn, and muxes the music cut to the video's range as
// AAC into an MP4 with its index at the front (+faststart).
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

struct VideoSettings {
    int width = 0;
    int height = 0;
    double fps = 60.0;
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

    // Sends one frame. False when ffmpeg no longer takes frames, or when a signal interrupted
    // the write.
    bool write(std::span<const uint8_t> frame);
    // Ends the frames and waits for ffmpeg to write the file: "" when it did, otherwise what
    // ffmpeg said last. A stop requested meanwhile ends ffmpeg at once.
    std::string finish();
    // Ends ffmpeg at once, its output unfinished.
    void stop();

private:
    std::string lastWords() const;
    void closeFrames();

    std::unique_ptr<ChildProcess> ffmpeg;  // null once it ended or when it could not start
    int frames = -1;  // the pipe's writing end
    int errors = -1;  // a memory file holding ffmpeg's standard error
};
