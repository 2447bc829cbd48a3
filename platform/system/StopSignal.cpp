// The stop request the signals leave for the tool to read.
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
#ifdef SIGHUP
    // POSIX: sigaction, since std::signal there resumes interrupted calls.
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
#else
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, requestStop);
#endif
}

bool stopRequested()
{
    return stopSignal != 0;
}
