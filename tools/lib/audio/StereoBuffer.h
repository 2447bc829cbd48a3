// The audio that the synthesis passes around: two channels of float samples at one rate.
#pragma once

#include <cstddef>
#include <vector>

namespace compose {

inline constexpr int kSampleRate = 44100;

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoBuffer(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t frames() const { return left.size(); }
    double seconds() const { return double(left.size()) / kSampleRate; }
};

}  // namespace compose
