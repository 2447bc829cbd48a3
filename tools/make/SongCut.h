// The part of a song that --from and --to take, cut out as the song's samples stream by: the
// frames before the part and after it dropped, the part's short fades applied (cutGain), and the
// song's whole length counted on the way. The fade out needs the part's end, which only the end
// of the stream tells when the song stops before --to, so the last 1.5 s are held back until
// then; nothing else is kept.
//
//   SongCut part(first, last);               // in frames of the song at 44.1 kHz
//   part.add(samples, frames, take);         // interleaved stereo floats, as ffmpeg gives them
//   part.finish(take);                       // the held-back end, faded
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <vector>

class SongCut {
public:
    // Receives the part's frames, interleaved left and right, gains applied, in order.
    using Take = std::function<void(std::span<const float>)>;

    SongCut(long long firstFrame, long long lastFrame = std::numeric_limits<long long>::max());

    void add(const float* stereo, std::size_t frames, const Take& take);
    void finish(const Take& take);

    long long songFrames() const { return seen; }
    // The frames taken, once the song has ended.
    long long partFrames() const { return taken; }

private:
    void release(std::size_t frames, long long partLength, bool fadeOut, const Take& take);

    long long first;
    long long last;
    long long seen = 0;       // frames of the song so far
    long long taken = 0;      // frames of the part so far
    long long released = 0;  // frames of the part handed on
    std::vector<float> held;  // the part's latest frames not yet handed on, a ring
    std::size_t heldStart = 0;
    std::vector<float> ready;
};
