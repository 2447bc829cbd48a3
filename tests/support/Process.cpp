// Child processes for tests.
#include "tests/support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/TempDir.h"

extern char** environ;

namespace {

std::filesystem::path captureFile(const char* stream)
{
    static int counter = 0;
    return std::filesystem::temp_directory_path() /
           ("sovane05-capture-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "." + stream);
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry)
        merged.emplace_back(*entry);
    for (const std::string& change : changes) {
        std::string name = change.substr(0, change.find('='));
        std::erase_if(merged, [&](const std::string& e) { return e.compare(0, name.size() + 1, name + "=") == 0; });
        if (change.find('=') != std::string::npos)
            merged.push_back(change);
    }
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool waitUntil(const std::function<bool()>& condition, double seconds)
{
    double deadline = monotonicSeconds() + seconds;
    while (!condition()) {
        if (monotonicSeconds() > deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

Process::Process(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                 const std::filesystem::path& workingFolder)
    : outPath(captureFile("out")), errPath(captureFile("err"))
{
    std::vector<std::string> arguments = command;
    std::vector<std::string> variables = mergedEnvironment(environment);
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(variables);
    pid_t parent = getpid();

    started = monotonicSeconds();
    pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // A test that dies must not leave its displays and shows running.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        setpgid(0, 0);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0)
            _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0)
            _exit(127);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

Process::~Process()
{
    if (!reaped)
        terminate();
    std::error_code ignored;
    std::filesystem::remove(outPath, ignored);
    std::filesystem::remove(errPath, ignored);
}

bool Process::running()
{
    if (reaped)
        return false;
    if (waitpid(pid, &status, WNOHANG) == pid)
        reaped = true;
    return !reaped;
}

void Process::terminate()
{
    if (reaped || pid <= 0)
        return;
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    reaped = true;
}

void Process::signal(int number)
{
    if (!reaped && pid > 0)
        kill(pid, number);
}

bool Process::catches(int number) const
{
    std::istringstream statusFile(readFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(statusFile, line);) {
        if (line.starts_with("SigCgt:"))
            return (std::stoull(line.substr(7), nullptr, 16) >> (number - 1) & 1) != 0;
    }
    return false;
}

std::string Process::outputSoFar() const
{
    return readFile(outPath);
}

std::string Process::errorSoFar() const
{
    return readFile(errPath);
}

void Process::sendSignal(int signal)
{
    if (!reaped && pid > 0)
        kill(pid, signal);
}

ProcessResult Process::wait(double timeoutSeconds)
{
    ProcessResult result;
    double deadline = started + timeoutSeconds;
    while (running()) {
        if (monotonicSeconds() > deadline) {
            result.timedOut = true;
            terminate();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.seconds = monotonicSeconds() - started;
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

ProcessResult runProcess(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                         const std::filesystem::path& workingFolder, double timeoutSeconds)
{
    Process process(command, environment, workingFolder);
    return process.wait(timeoutSeconds);
}

std::string withoutProgress(const std::string& err)
{
    auto isProgress = [](const std::string& line) {
        std::size_t slash = line.find('/');
        return line.starts_with("sovane05-") && slash != std::string::npos && line.find("%), ", slash) != std::string::npos &&
               line.find("/s, ") != std::string::npos && line.ends_with(" left");
    };
    std::string kept;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
        if (!isProgress(line))
            kept += line + "\n";
    return kept;
}
