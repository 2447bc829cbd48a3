// The stop request on Windows, whose C library knows SIGINT and SIGTERM and no SIGHUP or
// SIGPIPE.
#include "platform/system/StopSignal.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int signal)
{
    stopSignal = signal;
}

}  // namespace

void catchStopSignals()
{
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, requestStop);
}

bool stopRequested()
{
    return stopSignal != 0;
}

void ignoreBrokenPipe()
{
}
