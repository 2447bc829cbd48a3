// Child processes through posix_spawnp.
#include "platform/system/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system/StopSignal.h"

extern char** environ;

namespace {

void addStream(posix_spawn_file_actions_t& actions, int target, const ChildStream& stream, int flags)
{
    if (stream.descriptor >= 0)
        posix_spawn_file_actions_adddup2(&actions, stream.descriptor, target);
    else if (!stream.file.empty())
        posix_spawn_file_actions_addopen(&actions, target, stream.file.c_str(), flags, 0600);
    else
        posix_spawn_file_actions_addopen(&actions, target, "/dev/null", flags, 0);
}

ChildExit exitOf(int status)
{
    ChildExit ended;
    if (WIFEXITED(status))
        ended.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        ended.signal = WTERMSIG(status);
    return ended;
}

}  // namespace

ChildProcess::ChildProcess(const ChildSetup& setup)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    addStream(actions, 0, setup.input, O_RDONLY);
    addStream(actions, 1, setup.output, O_WRONLY | O_CREAT | O_TRUNC);
    addStream(actions, 2, setup.error, O_WRONLY | O_CREAT | O_TRUNC);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    // An ignored signal stays ignored across exec, and the tools ignore SIGPIPE.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> arguments;
    for (const std::string& argument : setup.command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t started = -1;
    startError = posix_spawnp(&started, arguments[0], &actions, &attributes, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (startError == 0)
        child = started;
}

ChildProcess::~ChildProcess()
{
    kill();
}

ChildExit ChildProcess::wait()
{
    ChildExit ended;
    // Never started, or already waited for: waitpid(-1) would take any child of the process.
    if (child < 0)
        return ended;
    bool stopped = false;
    for (;;) {
        // The child, in a group of its own, did not get the stop signal that this tool did.
        if (stopRequested() && !stopped) {
            ::kill(child, SIGKILL);
            stopped = true;
        }
        // Asked without blocking: a signal that came between the look at the stop request and a
        // blocking wait would leave the tool waiting for as long as the child lives (a child
        // stuck on a FIFO, for ever).
        int status = 0;
        pid_t waited = waitpid(child, &status, WNOHANG);
        if (waited == child) {
            ended = exitOf(status);
            break;
        }
        if (waited < 0 && errno != EINTR)
            break;
        if (waited == 0) {
            timespec pause{0, 20'000'000};
            nanosleep(&pause, nullptr);
        }
    }
    ended.stopped = stopped;
    child = -1;
    return ended;
}

bool ChildProcess::drain(int descriptor, const std::function<bool(std::span<const char>)>& take)
{
    char block[65536];
    for (;;) {
        if (stopRequested())
            break;
        // A signal that came just before a blocking read would wait for the child's next write;
        // polling with a timeout sees the request within a tenth of a second whatever the child
        // does.
        pollfd ready{descriptor, POLLIN, 0};
        int polled = poll(&ready, 1, 100);
        if (polled < 0 && errno != EINTR)
            break;
        if (polled <= 0)
            continue;
        ssize_t count = read(descriptor, block, sizeof block);
        if (count == 0)
            return true;
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            break;
        }
        if (!take(std::span<const char>(block, size_t(count))))
            break;
    }
    if (child >= 0)
        ::kill(child, SIGKILL);
    return false;
}

void ChildProcess::kill()
{
    if (child < 0)
        return;
    ::kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    child = -1;
}
