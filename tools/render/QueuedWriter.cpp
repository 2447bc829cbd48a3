// The writing thread and the buffers it shares with the caller.
#include "tools/render/QueuedWriter.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/system/StopSignal.h"

QueuedWriter::QueuedWriter(int descriptor_, size_t frameBytes, int depth)
    : descriptor(descriptor_), buffers(size_t(depth), std::vector<uint8_t>(frameBytes))
{
    // Signals go to the caller's thread, whose blocked calls they are meant to interrupt; the
    // new thread starts with every signal blocked.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    writer = std::thread([this] { run(); });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

QueuedWriter::~QueuedWriter()
{
    drain();
}

std::span<uint8_t> QueuedWriter::next()
{
    std::unique_lock<std::mutex> held(lock);
    while (!failed && sent - written >= buffers.size()) {
        // Polled, since a signal wakes no condition variable.
        if (stopRequested())
            return {};
        changed.wait_for(held, std::chrono::milliseconds(50));
    }
    if (failed)
        return {};
    return buffers[sent % buffers.size()];
}

void QueuedWriter::send()
{
    std::lock_guard<std::mutex> held(lock);
    ++sent;
    changed.notify_all();
}

bool QueuedWriter::drain()
{
    {
        std::lock_guard<std::mutex> held(lock);
        ending = true;
        changed.notify_all();
    }
    if (writer.joinable())
        writer.join();
    return !failed;
}

void QueuedWriter::run()
{
    for (;;) {
        std::span<const uint8_t> frame;
        {
            std::unique_lock<std::mutex> held(lock);
            changed.wait(held, [&] { return written < sent || ending; });
            if (written == sent)
                return;
            frame = buffers[written % buffers.size()];
        }
        while (!frame.empty()) {
            ssize_t count = ::write(descriptor, frame.data(), frame.size());
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0) {
                std::lock_guard<std::mutex> held(lock);
                failed = true;
                changed.notify_all();
                return;
            }
            frame = frame.subspan(size_t(count));
        }
        std::lock_guard<std::mutex> held(lock);
        ++written;
        changed.notify_all();
    }
}
