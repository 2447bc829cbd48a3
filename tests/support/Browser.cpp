// Driving headless Chromium over the DevTools protocol on a pipe.
#include "tests/support/Browser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/Process.h"
#include "tools/lib/base/JsonString.h"

namespace {

// WebGL 2 through ANGLE on SwiftShader, the only GPU of a machine without one; no first-run
// dialogs, no network traffic of the browser's own, no profile carried from one test to the next.
const char* const kArguments[] = {
    "chromium", "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
    "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--remote-debugging-pipe",
};

void appendUtf8(std::string& text, unsigned long code)
{
    if (code < 0x80) {
        text += char(code);
    } else if (code < 0x800) {
        text += char(0xC0 | code >> 6);
        text += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += char(0xE0 | code >> 12);
        text += char(0x80 | (code >> 6 & 0x3F));
        text += char(0x80 | (code & 0x3F));
    } else {
        text += char(0xF0 | code >> 18);
        text += char(0x80 | (code >> 12 & 0x3F));
        text += char(0x80 | (code >> 6 & 0x3F));
        text += char(0x80 | (code & 0x3F));
    }
}

std::string fromBase64(const std::string& text)
{
    std::string bytes;
    unsigned long bits = 0;
    int count = 0;
    for (char c : text) {
        int value = c >= 'A' && c <= 'Z' ? c - 'A'
                    : c >= 'a' && c <= 'z' ? c - 'a' + 26
                    : c >= '0' && c <= '9' ? c - '0' + 52
                    : c == '+' ? 62
                    : c == '/' ? 63
                               : -1;
        if (value < 0)
            continue;
        bits = bits << 6 | unsigned(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += char(bits >> count & 0xFF);
        }
    }
    return bytes;
}

}  // namespace

std::optional<std::string> jsonStringAfter(const std::string& json, const std::string& key)
{
    size_t at = json.find("\"" + key + "\":\"");
    if (at == std::string::npos)
        return std::nullopt;
    std::string text;
    for (at += key.size() + 4; at < json.size() && json[at] != '"'; ++at) {
        if (json[at] != '\\' || at + 1 == json.size()) {
            text += json[at];
            continue;
        }
        char escaped = json[++at];
        const std::string kPlain = "\"\\/bfnrt";
        const std::string kMeant = "\"\\/\b\f\n\r\t";
        if (size_t index = kPlain.find(escaped); index != std::string::npos) {
            text += kMeant[index];
        } else if (escaped == 'u' && at + 4 < json.size()) {
            unsigned long code = std::stoul(json.substr(at + 1, 4), nullptr, 16);
            at += 4;
            if (code >= 0xD800 && code < 0xDC00 && json.compare(at + 1, 2, "\\u") == 0) {
                code = 0x10000 + ((code - 0xD800) << 10) + (std::stoul(json.substr(at + 3, 4), nullptr, 16) - 0xDC00);
                at += 6;
            }
            appendUtf8(text, code);
        }
    }
    return text;
}

Browser::Browser(const std::vector<std::string>& extraArguments)
{
    std::vector<std::string> arguments(std::begin(kArguments), std::end(kArguments));
    arguments.push_back("--user-data-dir=" + profile.path().string());
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    arguments.push_back("about:blank");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::string log = (profile / "chromium.log").string();

    int commands[2];
    int replies[2];
    if (pipe2(commands, O_CLOEXEC) != 0 || pipe2(replies, O_CLOEXEC) != 0) {
        failure = "cannot make the pipes to the browser";
        return;
    }
    pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        setpgid(0, 0);
        // The protocol's pipe is the browser's descriptors 3 (commands in) and 4 (replies out).
        int in = fcntl(commands[0], F_DUPFD, 10);
        int out = fcntl(replies[1], F_DUPFD, 10);
        int nothing = ::open("/dev/null", O_RDONLY);
        int logged = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || nothing < 0 || logged < 0 || dup2(in, 3) < 0 || dup2(out, 4) < 0)
            _exit(127);
        dup2(nothing, 0);
        dup2(logged, 1);
        dup2(logged, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(commands[0]);
    close(replies[1]);
    toBrowser = commands[1];
    fromBrowser = replies[0];
    if (pid < 0) {
        failure = "cannot start chromium";
        return;
    }
    std::string created = command("Target.createTarget", "{\"url\":\"about:blank\"}");
    std::optional<std::string> target = jsonStringAfter(created, "targetId");
    std::string attached = target ? command("Target.attachToTarget", "{\"targetId\":" + jsonString(*target) +
                                                                         ",\"flatten\":true}")
                                  : "";
    std::optional<std::string> sessionId = jsonStringAfter(attached, "sessionId");
    if (!sessionId && failure.empty())
        failure = "chromium gave no page to drive: " + created + attached + "; see " + log;
    session = sessionId.value_or("");
}

Browser::~Browser()
{
    if (pid > 0) {
        session.clear();
        command("Browser.close", "{}", 5.0);
        int status = 0;
        bool ended = waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10.0);
        // Its helpers share its process group, and go with it.
        kill(-pid, SIGKILL);
        if (!ended)
            waitpid(pid, &status, 0);
    }
    if (toBrowser >= 0)
        close(toBrowser);
    if (fromBrowser >= 0)
        close(fromBrowser);
}

std::string Browser::command(const std::string& method, const std::string& params, double seconds)
{
    int id = ++nextId;
    std::string message = "{\"id\":" + std::to_string(id) + ",\"method\":" + jsonString(method) + ",\"params\":" +
                          params + (session.empty() ? "" : ",\"sessionId\":" + jsonString(session)) + "}";
    message += '\0';
    size_t sent = 0;
    while (sent < message.size()) {
        ssize_t count = write(toBrowser, message.data() + sent, message.size() - sent);
        if (count <= 0) {
            failure = "the browser stopped taking commands (" + method + ")";
            return "";
        }
        sent += size_t(count);
    }
    return receive(id, seconds);
}

std::string Browser::receive(int id, double seconds)
{
    std::string start = "{\"id\":" + std::to_string(id) + ",";
    double deadline = monotonicSeconds() + seconds;
    for (;;) {
        for (size_t end; (end = pending.find('\0')) != std::string::npos;) {
            std::string message = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (message.starts_with(start))
                return message;
        }
        double left = deadline - monotonicSeconds();
        pollfd waiting{fromBrowser, POLLIN, 0};
        if (left <= 0 || poll(&waiting, 1, int(left * 1000) + 1) <= 0) {
            failure = "no answer from the browser in " + std::to_string(int(seconds)) + " s";
            return "";
        }
        char block[65536];
        ssize_t count = read(fromBrowser, block, sizeof block);
        if (count <= 0) {
            failure = "the browser ended";
            return "";
        }
        pending.append(block, size_t(count));
    }
}

void Browser::setViewport(int width, int height)
{
    command("Emulation.setDeviceMetricsOverride", "{\"width\":" + std::to_string(width) +
                                                      ",\"height\":" + std::to_string(height) +
                                                      ",\"deviceScaleFactor\":1,\"mobile\":false}");
}

void Browser::open(const std::string& url)
{
    command("Page.navigate", "{\"url\":" + jsonString(url) + "}");
}

std::string Browser::evaluate(const std::string& expression)
{
    std::string asJson = "Promise.resolve(" + expression + ").then(v => JSON.stringify(v ?? null))";
    std::string reply = command("Runtime.evaluate", "{\"expression\":" + jsonString(asJson) +
                                                        ",\"returnByValue\":true,\"awaitPromise\":true}");
    if (reply.find("\"exceptionDetails\"") != std::string::npos)
        return "";
    return jsonStringAfter(reply, "value").value_or("");
}

bool Browser::waitFor(const std::string& condition, double seconds)
{
    double deadline = monotonicSeconds() + seconds;
    while (evaluate("Boolean(" + condition + ")") != "true") {
        if (monotonicSeconds() > deadline || !failure.empty())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

void Browser::click(double x, double y)
{
    for (const char* type : {"mousePressed", "mouseReleased"}) {
        command("Input.dispatchMouseEvent", std::string("{\"type\":\"") + type + "\",\"x\":" + std::to_string(x) +
                                                ",\"y\":" + std::to_string(y) +
                                                ",\"button\":\"left\",\"clickCount\":1}");
    }
}

Image Browser::screenshot(const std::string& name)
{
    std::string reply = command("Page.captureScreenshot", "{\"format\":\"png\"}");
    std::filesystem::path path = std::filesystem::path(SOVANE05_TEST_OUTPUT_DIR) / (name + ".png");
    writeFile(path, fromBase64(jsonStringAfter(reply, "data").value_or("")));
    return loadImage(path.string());
}
