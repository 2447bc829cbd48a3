// The stop signals on POSIX systems: sigaction, since std::signal there resumes interrupted
// calls.
#include <csignal>
#include <initializer_list>

#include "platform/system/StopSignal.h"

void handleStopSignals(void (*handler)(int signal))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void ignoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}
