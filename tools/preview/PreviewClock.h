// The preview's clock: the show time of each frame while playing or paused, after seeks, frame
// steps and loops, kept to the music's own position so picture and sound stay together. No SDL
// here: the caller passes its clock in seconds and what the music reports, and moves the music
// wherever an operation says.
//
//   PreviewClock clock(music.length(), at, paused, now());
//   if (std::optional<double> to = clock.seekBy(5.0, now())) music.playFrom(*to, clock.paused());
//   clock.followMusic(music.position(), now());      // while it plays
//   PreviewClock::Frame frame = clock.frame(now());  // frame.time to draw
#pragma once

#include <optional>

struct LoopRange {
    double start = 0.0;
    double end = 0.0;
    bool operator==(const LoopRange&) const = default;
};

class PreviewClock {
public:
    // `length` is the music's (the clock stops there); `startAt` is clamped to it.
    PreviewClock(double length, double startAt, bool paused, double now);

    // Each of these returns the position the music must be set to, when it must move.
    std::optional<double> seekTo(double time, double now);
    std::optional<double> seekBy(double seconds, double now);
    // Only while paused; nothing happens while playing.
    std::optional<double> stepBy(double seconds, double now);
    // Pausing keeps the moment; resuming returns it, so the music restarts exactly there, and
    // resuming at the end starts again from 0.
    std::optional<double> togglePause(double now);

    // The loop's bounds at the moment last shown. A start at or after the end, or an end at or
    // before the start, drops the other bound; an unset bound is the music's start or end.
    void setLoopStart();
    void setLoopEnd();
    void clearLoop();
    std::optional<LoopRange> loop() const;

    // A position the playing music reported at `now`. Small differences are taken up a little
    // at each fresh report, so frames stay smooth between the mixer's coarse updates; a large
    // one (the music stalled or jumped) is taken at once.
    void followMusic(double position, double now);

    struct Frame {
        double time = 0.0;
        std::optional<double> musicTo;  // set when the loop went back to its start
    };
    // The moment to draw at `now`. It never goes back except by a seek or the loop; at the end
    // of the music the clock pauses there.
    Frame frame(double now);

    double time() const { return shown; }
    bool paused() const { return isPaused; }
    double length() const { return musicLength; }
    // For music that was reloaded with another length.
    void setLength(double length, double now);

    // A difference from the music larger than this is taken at once.
    static constexpr double kResync = 0.25;
    // The share of a smaller difference taken at each fresh report.
    static constexpr double kSlew = 0.125;

private:
    double estimate(double now) const;
    double current(double now) const;
    void anchor(double time, double now);

    double musicLength;
    bool isPaused;
    double anchorTime = 0.0;  // the show time at anchorClock while playing
    double anchorClock = 0.0;
    double shown = 0.0;  // the moment of the last frame, or of the last seek
    std::optional<double> loopStart;
    std::optional<double> loopEnd;
    std::optional<double> lastReport;  // the music's last position, to tell fresh reports
};
