// Progress lines for long renders.
#include "tools/render/RenderProgress.h"

#include <cmath>
#include <cstdio>

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

std::string progressLine(int64_t done, int64_t total, double elapsedSeconds)
{
    int percent = total > 0 ? int(done * 100 / total) : 100;
    double rate = elapsedSeconds > 0.0 ? double(done) / elapsedSeconds : 0.0;
    std::string left = rate > 0.0 ? minutesAndSeconds(double(total - done) / rate) : "-:--";
    char text[160];
    std::snprintf(text, sizeof text, "sovane05-render: %lld/%lld frames (%d%%), %.1f frames/s, %s left",
                  static_cast<long long>(done), static_cast<long long>(total), percent, rate, left.c_str());
    return text;
}

std::string RenderProgress::update(int64_t done, double elapsedSeconds)
{
    bool last = done >= total;
    if (terminal) {
        if (!last && lastDrawn >= 0.0 && elapsedSeconds - lastDrawn < kRedrawSeconds)
            return "";
        lastDrawn = elapsedSeconds;
        lineOpen = !last;
        return "\r" + progressLine(done, total, elapsedSeconds) + "\x1b[K" + (last ? "\n" : "");
    }
    int64_t tenth = total > 0 ? done * 10 / total : 10;
    if (tenth <= lastTenth)
        return "";
    lastTenth = tenth;
    return progressLine(done, total, elapsedSeconds) + "\n";
}

std::string RenderProgress::close()
{
    bool wasOpen = lineOpen;
    lineOpen = false;
    return wasOpen ? "\n" : "";
}
