// The one form in which every long step of a tool reports its progress on standard error:
// done of the total, the rate and the time left. On a terminal one line is redrawn in place
// (at most four times a second, and once more at the end); into a file or pipe a line is
// written at each tenth of the way, so logs stay short. A run then ends with one line saying
// what it wrote, its size in words.
//
//   Progress progress("sovane05-render", "frames", total, isatty(2));
//   std::fputs(progress.update(done, secondsSinceStart).c_str(), stderr);
//
//   ProgressOnStandardError images("sovane05-lyrics", "images", count);   // its own clock
//   images.show(done);
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// "sovane05-render: 1234/3840 frames (32%), 12.3 frames/s, 3:31 left"
std::string progressLine(std::string_view tool, std::string_view unit, int64_t done, int64_t total,
                         double elapsedSeconds);

class Progress {
public:
    Progress(std::string_view toolName, std::string_view unitName, int64_t count, bool toTerminal)
        : tool(toolName), unit(unitName), total(count), terminal(toTerminal)
    {
    }

    // What to write after `done` of the total in `elapsedSeconds`: "" when nothing is due; on
    // a terminal a carriage return, the line and an erase to its end, with a line feed once
    // all is done.
    std::string update(int64_t done, double elapsedSeconds);
    // What ends a line left open on a terminal, before another message: a line feed, or "".
    std::string close();

private:
    std::string tool;
    std::string unit;
    int64_t total;
    bool terminal;
    int64_t lastTenth = 0;
    double lastDrawn = -1.0;
    bool lineOpen = false;
};

// A Progress that keeps its own clock from its making and writes to standard error, telling a
// terminal from a file or pipe itself.
class ProgressOnStandardError {
public:
    ProgressOnStandardError(std::string_view toolName, std::string_view unitName, int64_t count);
    ~ProgressOnStandardError() { close(); }
    ProgressOnStandardError(const ProgressOnStandardError&) = delete;
    ProgressOnStandardError& operator=(const ProgressOnStandardError&) = delete;

    void show(int64_t done);
    // Ends a line left open on a terminal, as its end does; call it before writing another
    // message while it lasts.
    void close();

private:
    Progress progress;
    std::chrono::steady_clock::time_point start;
};

// The bytes a run wrote at `path`: a file's size, or the sum of the regular files under a
// folder; 0 for what cannot be read.
uintmax_t bytesWritten(const std::filesystem::path& path);

// A file's size as a person reads it, in decimal units: "900 bytes", "48 kB", "3.1 MB", "22 MB".
std::string sizeInWords(uintmax_t bytes);
