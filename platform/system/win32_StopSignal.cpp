// The stop signals on Windows, whose C library knows SIGINT and SIGTERM and no SIGHUP or
// SIGPIPE.
#include <csignal>
#include <initializer_list>

#include "platform/system/StopSignal.h"

void handleStopSignals(void (*handler)(int signal))
{
    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, handler);
}

void ignoreBrokenPipe()
{
}
