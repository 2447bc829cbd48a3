// The preview's clock arithmetic.
#include "tools/preview/PreviewClock.h"

#include <algorithm>
#include <cmath>

PreviewClock::PreviewClock(double length, double startAt, bool paused, double now)
    : musicLength(std::max(length, 0.0)), isPaused(paused)
{
    seekTo(startAt, now);
    isPaused = paused || shown >= musicLength;
}

double PreviewClock::estimate(double now) const
{
    return anchorTime + (now - anchorClock);
}

double PreviewClock::current(double now) const
{
    if (isPaused)
        return shown;
    return std::clamp(std::max(estimate(now), shown), 0.0, musicLength);
}

void PreviewClock::anchor(double time, double now)
{
    anchorTime = time;
    anchorClock = now;
    // The next report is fresh whatever it says, even a value the music gave before the jump.
    lastReport.reset();
}

std::optional<double> PreviewClock::seekTo(double time, double now)
{
    shown = std::clamp(time, 0.0, musicLength);
    anchor(shown, now);
    if (shown >= musicLength)
        isPaused = true;
    return shown;
}

std::optional<double> PreviewClock::seekBy(double seconds, double now)
{
    return seekTo(current(now) + seconds, now);
}

std::optional<double> PreviewClock::stepBy(double seconds, double now)
{
    if (!isPaused)
        return std::nullopt;
    return seekTo(shown + seconds, now);
}

std::optional<double> PreviewClock::togglePause(double now)
{
    if (!isPaused) {
        shown = current(now);
        isPaused = true;
        return std::nullopt;
    }
    if (shown >= musicLength)
        shown = 0.0;
    isPaused = false;
    anchor(shown, now);
    return shown;
}

void PreviewClock::setLoopStart()
{
    loopStart = shown;
    if (loopEnd && *loopEnd <= shown)
        loopEnd.reset();
}

void PreviewClock::setLoopEnd()
{
    loopEnd = shown;
    if (loopStart && *loopStart >= shown)
        loopStart.reset();
}

void PreviewClock::clearLoop()
{
    loopStart.reset();
    loopEnd.reset();
}

std::optional<LoopRange> PreviewClock::loop() const
{
    if (!loopStart && !loopEnd)
        return std::nullopt;
    LoopRange range{loopStart.value_or(0.0), std::min(loopEnd.value_or(musicLength), musicLength)};
    if (range.start >= range.end)
        return std::nullopt;
    return range;
}

void PreviewClock::followMusic(double position, double now)
{
    // The mixer's position moves in steps of its mixing chunk; only a changed value says where
    // the music is at this moment, a repeated one is already behind.
    if (isPaused || position == lastReport)
        return;
    lastReport = position;
    double difference = position - estimate(now);
    if (std::abs(difference) > kResync) {
        anchorTime = position;
        anchorClock = now;
    } else {
        anchorTime += difference * kSlew;
    }
}

PreviewClock::Frame PreviewClock::frame(double now)
{
    if (isPaused)
        return {shown, std::nullopt};
    double time = std::max(estimate(now), shown);
    if (std::optional<LoopRange> range = loop(); range && time >= range->end) {
        seekTo(range->start, now);
        return {shown, shown};
    }
    if (time >= musicLength) {
        shown = musicLength;
        isPaused = true;
        return {shown, std::nullopt};
    }
    shown = std::max(time, 0.0);
    return {shown, std::nullopt};
}

void PreviewClock::setLength(double length, double now)
{
    musicLength = std::max(length, 0.0);
    if (shown > musicLength)
        seekTo(musicLength, now);
}
