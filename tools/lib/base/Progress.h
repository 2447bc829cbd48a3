// The progress report of a long render on standard error: frames done of the total, frames
// per second and the time left. On a terminal one line is redrawn in place (at most four
// times a second, and once more at the end); into a file or pipe a line is written at each
// tenth of the way, so logs stay short.
//
//   RenderProgress progress(total, isatty(2));
//   std::fputs(progress.update(done, secondsSinceStart).c_str(), stderr);
#pragma once

#include <cstdint>
#include <string>

// "sovane05-render: 1234/3840 frames (32%), 14.2 frames/s, 3:04 left"
std::string progressLine(int64_t done, int64_t total, double elapsedSeconds);

class RenderProgress {
public:
    RenderProgress(int64_t frames, bool toTerminal) : total(frames), terminal(toTerminal) {}

    // What to write after `done` frames in `elapsedSeconds`: "" when nothing is due; on a
    // terminal a carriage return, the line and an erase to its end, with a line feed once
    // all frames are done.
    std::string update(int64_t done, double elapsedSeconds);
    // What ends a line left open on a terminal, before another message: a line feed, or "".
    std::string close();

private:
    int64_t total;
    bool terminal;
    int64_t lastTenth = 0;
    double lastDrawn = -1.0;
    bool lineOpen = false;
};
