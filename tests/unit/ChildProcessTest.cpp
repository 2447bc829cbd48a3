// The one way the tools run another program: exit statuses and signals as they came, a
// program that is not there, the standard streams where they were asked to go, and SIGPIPE at
// its default in the child although the tool ignores it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "platform/system/ChildProcess.h"
#include "platform/system/StopSignal.h"
#include "tests/support/TempDir.h"

TEST(ChildProcess, EndsAsTheChildEndedAndSaysWhenItCannotStart)
{
    // As every tool does, so the child's SIGPIPE must be reset.
    ignoreBrokenPipe();
    struct Case {
        std::vector<std::string> command;
        int startError;
        int status;
        int signal;
    };
    const Case cases[] = {
        {{"true"}, 0, 0, 0},
        {{"sh", "-c", "exit 3"}, 0, 3, 0},
        {{"sh", "-c", "kill -TERM $$"}, 0, -1, SIGTERM},
        {{"sh", "-c", "kill -PIPE $$; exit 0"}, 0, -1, SIGPIPE},
        {{"sovane05-no-such-program"}, ENOENT, -1, 0},
    };
    for (const Case& c : cases) {
        ChildProcess child({.command = c.command, .input = {}, .output = {}, .error = {}});
        EXPECT_EQ(child.startError, c.startError) << c.command.back();
        ChildExit ended = child.wait();
        EXPECT_EQ(ended.status, c.status) << c.command.back();
        EXPECT_EQ(ended.signal, c.signal) << c.command.back();
        EXPECT_FALSE(ended.stopped) << c.command.back();
    }
}

TEST(ChildProcess, StreamsGoWhereTheyWereAskedTo)
{
    TempDir folder;
    // Close-on-exec, as the tools make their pipes: a child holding the writing end would wait
    // for itself to finish writing.
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    ChildProcess child({.command = {"sh", "-c", "cat; echo said >&2"},
                        .input = {.descriptor = pipeEnds[0], .file = {}},
                        .output = {.file = folder / "out.txt"},
                        .error = {.file = folder / "err.txt"}});
    close(pipeEnds[0]);
    ASSERT_EQ(child.startError, 0);
    std::string text = "through the pipe\n";
    ASSERT_EQ(write(pipeEnds[1], text.data(), text.size()), ssize_t(text.size()));
    close(pipeEnds[1]);
    EXPECT_EQ(child.wait().status, 0);
    EXPECT_EQ(readFile(folder / "out.txt"), text);
    EXPECT_EQ(readFile(folder / "err.txt"), "said\n");
}
