// Reading finished frames back without stalling the renderer: each read goes into the next of
// a ring of pixel buffer objects, and a frame's pixels are taken only once later frames have
// been drawn and their reads started, so copying one frame overlaps drawing the next.
//
//   FrameReader reader(1920, 1080);
//   for (each frame) {
//       ...draw into the bound frame buffer...
//       if (reader.full()) reader.takeOldest(use);   // frees a buffer for the next read
//       reader.start();
//   }
//   while (reader.pending()) reader.takeOldest(use);
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class FrameReader {
public:
    static constexpr int kBuffers = 2;

    FrameReader(int width, int height);
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Starts reading the bound read frame buffer's colour into the next free buffer. Call only
    // when not full().
    void start();
    // Hands the pixels of the oldest read started to `use`, RGBA rows bottom to top as GL
    // keeps them, and frees its buffer. The span is valid only during the call. False, and
    // `use` not called, when the driver could not map the buffer.
    bool takeOldest(const std::function<void(std::span<const uint8_t>)>& use);

    bool pending() const { return waiting > 0; }
    bool full() const { return waiting == kBuffers; }

    const int width;
    const int height;

private:
    std::vector<uint32_t> buffers;
    size_t bytes = 0;
    int oldest = 0;   // index of the oldest read in flight
    int waiting = 0;  // reads started and not taken
};
