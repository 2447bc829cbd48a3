// Ctrl-C (SIGINT), a plain kill (SIGTERM) and a closed terminal (SIGHUP, where the system has
// it) ask a long-running tool to stop instead of ending it on the spot: the tool abandons its
// work in order, leaves no partial output behind and says so in one line. How a handler is
// installed differs by system: posix_StopSignal.cpp, win32_StopSignal.cpp.
//
//   ignoreBrokenPipe();
//   catchStopSignals();
//   while (working && !stopRequested()) ...
//   if (stopRequested()) return reportFailure(kTool, output + ": interrupted; nothing written");
#pragma once

// Installs the handlers. Calls blocked when a signal comes (a write to a busy child's pipe,
// waiting for a child) return early instead of resuming, so the request is noticed at once.
void catchStopSignals();

bool stopRequested();

// A write to a closed pipe or socket then fails as a write error instead of ending the process
// (SIGPIPE); systems without that signal report it so anyway.
void ignoreBrokenPipe();

// Installs `handler` for every stop signal the system has; the per-system part of
// catchStopSignals.
void handleStopSignals(void (*handler)(int signal));
