// Frames written to a descriptor (ffmpeg's pipe) on a thread of their own, a few at a time, so
// the caller draws and converts the next frames while the reader takes the earlier ones at its
// own pace: on a machine whose cores the encoder shares, neither waits for the other.
//
//   QueuedWriter queue(descriptor, frameBytes, 2);
//   std::span<uint8_t> frame = queue.next();   // empty once a write failed, or on a stop
//   fill(frame);
//   queue.send();
//   bool whole = queue.drain();                // every frame sent was written
//
// To abandon the frames, end the reader first: the write in progress then fails at once.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

class QueuedWriter {
public:
    // Writes to `descriptor`, which stays the caller's to close, once drained.
    QueuedWriter(int descriptor, size_t frameBytes, int depth);
    ~QueuedWriter();
    QueuedWriter(const QueuedWriter&) = delete;
    QueuedWriter& operator=(const QueuedWriter&) = delete;

    // A buffer to fill with the next frame, once one is free: empty when a write failed, or when
    // a stop signal came while waiting.
    std::span<uint8_t> next();
    // Queues the buffer that next() gave.
    void send();
    // Writes what is queued and ends the thread: true when every frame sent was written whole.
    bool drain();

private:
    void run();

    int descriptor;
    std::vector<std::vector<uint8_t>> buffers;
    std::mutex lock;
    std::condition_variable changed;
    size_t sent = 0;     // frames queued, ever
    size_t written = 0;  // frames written, ever
    bool ending = false;
    bool failed = false;
    std::thread writer;
};
