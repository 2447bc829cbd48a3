// Running another program as a child process, the one way every tool does it: found on PATH,
// its standard streams from and to descriptors or files the caller names (else /dev/null), in a
// process group of its own, so a Ctrl-C on the terminal reaches only this tool, which decides
// what becomes of the child, and with SIGPIPE at its default even where this tool ignores it.
// Waiting for it ends it at once when a stop is requested (StopSignal.h). POSIX only:
// posix_ChildProcess.cpp.
//
//   ChildProcess probe({.command = {"ffprobe", "-v", "error", song}, .output = {.file = out}});
//   if (probe.startError != 0) ...strerror(probe.startError)...
//   ChildExit ended = probe.wait();
//
// A child whose output is read as it comes writes into a pipe the caller made close-on-exec; the
// caller closes its own writing end once the child runs, then reads with drain().
#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Where one standard stream of the child goes.
struct ChildStream {
    int descriptor = -1;         // this open descriptor, when not -1
    std::filesystem::path file;  // else this file (output truncated, made when missing), when not empty
};

struct ChildSetup {
    std::vector<std::string> command;  // the program, looked for on PATH, then its arguments
    ChildStream input;
    ChildStream output;
    ChildStream error;
};

struct ChildExit {
    int status = -1;       // its exit status; -1 when a signal ended it
    int signal = 0;        // the signal that ended it, or 0
    bool stopped = false;  // a stop request ended it
};

class ChildProcess {
public:
    // Starts the child; startError says when it could not.
    explicit ChildProcess(const ChildSetup& setup);
    // Ends the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits for the child to end. A stop requested while it runs ends it (SIGKILL) first. A
    // child that never started, or was already waited for, reads as status -1.
    ChildExit wait();
    // Ends the child at once, its work unfinished, and waits for it.
    void kill();
    // Reads `descriptor`, the reading end of a pipe the child writes into, until the child
    // closes it, handing each block to `take` as it comes. A stop requested meanwhile, or
    // `take` returning false, ends the child at once (wait() then says so); false then, or when
    // reading fails. Looks at the stop request at least every tenth of a second.
    bool drain(int descriptor, const std::function<bool(std::span<const char>)>& take);

    // The errno of starting it (ENOENT: no such program on PATH), or 0 when it runs.
    int startError = 0;

private:
    int child = -1;  // its process id, while it has not been waited for
};
