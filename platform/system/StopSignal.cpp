// The stop request the signals leave for the tool to read; the per-system files install the
// handler.
#include "platform/system/StopSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int signal)
{
    stopSignal = signal;
}

}  // namespace

void catchStopSignals()
{
    handleStopSignals(requestStop);
}

bool stopRequested()
{
    return stopSignal != 0;
}
