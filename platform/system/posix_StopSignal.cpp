// The stop request on POSIX systems: sigaction, since std::signal there resumes interrupted
// calls.
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
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool stopRequested()
{
    return stopSignal != 0;
}

void ignoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}
