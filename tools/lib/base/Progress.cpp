// Progress lines for the tools' long steps, and the sizes their last lines give.
#include "tools/lib/base/Progress.h"

#include <cmath>
#include <cstdio>
#include <system_error>

#include <unistd.h>

namespace {

constexpr double kRedrawSeconds = 0.25;

std::string minutesAndSeconds(double seconds)
{
    long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string progressLine(std::string_view tool, std::string_view unit, int64_t done, int64_t total,
                         double elapsedSeconds)
{
    int percent = total > 0 ? int(done * 100 / total) : 100;
    double rate = elapsedSeconds > 0.0 ? double(done) / elapsedSeconds : 0.0;
    std::string left = rate > 0.0 ? minutesAndSeconds(double(total - done) / rate) : "-:--";
    char text[160];
    std::snprintf(text, sizeof text, "%.*s: %lld/%lld %.*s (%d%%), %.1f %.*s/s, %s left", int(tool.size()), tool.data(),
                  static_cast<long long>(done), static_cast<long long>(total), int(unit.size()), unit.data(), percent,
                  rate, int(unit.size()), unit.data(), left.c_str());
    return text;
}

std::string Progress::update(int64_t done, double elapsedSeconds)
{
    bool last = done >= total;
    if (terminal) {
        if (!last && lastDrawn >= 0.0 && elapsedSeconds - lastDrawn < kRedrawSeconds)
            return "";
        lastDrawn = elapsedSeconds;
        lineOpen = !last;
        return "\r" + progressLine(tool, unit, done, total, elapsedSeconds) + "\x1b[K" + (last ? "\n" : "");
    }
    int64_t tenth = total > 0 ? done * 10 / total : 10;
    if (tenth <= lastTenth)
        return "";
    lastTenth = tenth;
    return progressLine(tool, unit, done, total, elapsedSeconds) + "\n";
}

std::string Progress::close()
{
    bool wasOpen = lineOpen;
    lineOpen = false;
    return wasOpen ? "\n" : "";
}

ProgressOnStandardError::ProgressOnStandardError(std::string_view toolName, std::string_view unitName, int64_t count)
    : progress(toolName, unitName, count, isatty(STDERR_FILENO) != 0), start(std::chrono::steady_clock::now())
{
}

void ProgressOnStandardError::show(int64_t done)
{
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fputs(progress.update(done, elapsed).c_str(), stderr);
}

void ProgressOnStandardError::close()
{
    std::fputs(progress.close().c_str(), stderr);
}

uintmax_t bytesWritten(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
        uintmax_t size = std::filesystem::file_size(path, error);
        return error ? 0 : size;
    }
    uintmax_t bytes = 0;
    for (std::filesystem::recursive_directory_iterator walk(path, error), end; !error && walk != end;
         walk.increment(error)) {
        bool regular = walk->is_regular_file(error);
        uintmax_t size = regular && !error ? walk->file_size(error) : 0;
        bytes += error ? 0 : size;
        error.clear();
    }
    return bytes;
}

std::string sizeInWords(uintmax_t bytes)
{
    char text[32];
    if (bytes < 1000)
        std::snprintf(text, sizeof text, "%ju byte%s", bytes, bytes == 1 ? "" : "s");
    else if (bytes < 1000 * 1000)
        std::snprintf(text, sizeof text, "%.0f kB", double(bytes) / 1e3);
    else if (bytes < 10 * 1000 * 1000)
        std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
    else if (bytes < uintmax_t(1000) * 1000 * 1000)
        std::snprintf(text, sizeof text, "%.0f MB", double(bytes) / 1e6);
    else
        std::snprintf(text, sizeof text, "%.1f GB", double(bytes) / 1e9);
    return text;
}
