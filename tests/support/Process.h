// Running other programs from tests: a child process with its own environment and working
// folder, standard output and error captured, and a timeout after which it is killed.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus = -1;  // when the process exited
    int signal = 0;       // when a signal ended it
    bool timedOut = false;
    double seconds = 0.0;  // from start to end
    std::string out;
    std::string err;
};

class Process {
public:
    // `environment` entries "NAME=value" set a variable and "NAME" removes it; the rest of the
    // test's environment is inherited.
    Process(const std::vector<std::string>& command, const std::vector<std::string>& environment = {},
            const std::filesystem::path& workingFolder = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool running();
    // Waits for the end, killing the process after `timeoutSeconds`.
    ProcessResult wait(double timeoutSeconds);
    // Standard output captured so far.
    std::string outputSoFar() const;
    // Standard error captured so far.
    std::string errorSoFar() const;
    // Sends `signal` to the process alone, as a Ctrl-C or a kill would.
    void sendSignal(int signal);
    // The process id, for reading /proc about it.
    pid_t id() const { return pid; }
    void terminate();
    // Sends `number` to the process (not to its children).
    void signal(int number);
    // Whether the running process has a handler installed for `number`, as /proc tells: after
    // that, a signal no longer ends it by the default action.
    bool catches(int number) const;

private:
    pid_t pid = -1;
    bool reaped = false;
    int status = 0;
    double started = 0.0;
    std::filesystem::path outPath;
    std::filesystem::path errPath;
};

ProcessResult runProcess(const std::vector<std::string>& command, const std::vector<std::string>& environment = {},
                         const std::filesystem::path& workingFolder = {}, double timeoutSeconds = 30.0);

// A tool's standard error without its progress lines ("tool: 9/87 images (10%), …, 0:01 left"),
// which vary from run to run: what it reported, with each line's feed.
std::string withoutProgress(const std::string& err);

// Seconds on a monotonic clock.
double monotonicSeconds();

// Asks `condition` every 50 ms until it holds or `seconds` have passed; returns its last answer.
// The time is a bound for a failing test, not something waited for.
bool waitUntil(const std::function<bool()>& condition, double seconds);
