// How loud music is just after given moments, measured as the music streams by: the mean
// square of the mono mix over the 60 ms from each moment, for the beats a tracker reports a
// little late and the moments of a beat grid. Only the last few seconds of samples are kept, so
// an hour of music costs what a second does.
//
//   MusicLoudness loudness;
//   loudness.ask(1.25);                     // before or just after the stream passes 1.25 s
//   loudness.add(block);                    // 44.1 kHz 16-bit stereo, interleaved, as it comes
//   std::vector<double> strengths = loudness.finish();   // one per moment asked, in order
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

class MusicLoudness {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int64_t kWindowFrames = kSampleRate * 60 / 1000;
    // How far back a moment may be asked for: far more than a beat tracker's delay.
    static constexpr int64_t kKeptFrames = int64_t(1) << 18;

    MusicLoudness();

    // Asks for the loudness from `seconds` on (0 outside the music). Throws std::logic_error
    // when the stream has already passed it by more than kKeptFrames.
    void ask(double seconds);
    void add(std::span<const int16_t> stereo);
    // The loudness at each moment asked, in the order asked, once the music has ended.
    std::vector<double> finish();

    int64_t frames() const { return seen; }

private:
    void measure(std::size_t index, int64_t first, int64_t last);
    void measureDue();

    std::vector<int32_t> recent;  // left plus right of the last kKeptFrames frames, a ring
    int64_t seen = 0;
    std::vector<double> answers;
    std::vector<std::pair<int64_t, std::size_t>> pending;  // first frame, index asked; a heap
};
