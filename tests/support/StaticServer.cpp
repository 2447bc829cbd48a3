// The loopback file server.
#include "tests/support/StaticServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "tests/support/TempDir.h"

namespace {

// The request's path, "%XX" decoded, without query or fragment; empty when it is not a GET or
// HEAD of a path inside the folder.
std::string requestedPath(const std::string& request, bool& head)
{
    size_t methodEnd = request.find(' ');
    size_t pathEnd = request.find(' ', methodEnd + 1);
    if (methodEnd == std::string::npos || pathEnd == std::string::npos)
        return "";
    std::string method = request.substr(0, methodEnd);
    head = method == "HEAD";
    if (method != "GET" && !head)
        return "";
    std::string target = request.substr(methodEnd + 1, pathEnd - methodEnd - 1);
    target = target.substr(0, target.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size()) {
            path += char(std::stoi(target.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += target[i];
        }
    }
    if (path.empty() || path[0] != '/' || path.find("/../") != std::string::npos || path.ends_with("/.."))
        return "";
    return path == "/" ? "index.html" : path.substr(1);
}

void sendAll(int connection, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t count = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += size_t(count);
    }
}

}  // namespace

std::string mediaType(const std::filesystem::path& path)
{
    static const std::map<std::string, std::string> kTypes = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},   {".json", "application/json"},
        {".wasm", "application/wasm"},          {".png", "image/png"},
        {".mp3", "audio/mpeg"},                 {".txt", "text/plain; charset=utf-8"},
    };
    auto found = kTypes.find(path.extension().string());
    return found == kTypes.end() ? "application/octet-stream" : found->second;
}

StaticServer::StaticServer(const std::filesystem::path& served) : folder(served)
{
    listening = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listening < 0 || bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listening, 64) != 0 || getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error(std::string("cannot serve on the loopback address: ") + std::strerror(errno));
    port = ntohs(address.sin_port);
    acceptor = std::thread([this] { accept(); });
}

StaticServer::~StaticServer()
{
    stopping = true;
    acceptor.join();
    close(listening);
    // Taken out first: a thread still answering takes the lock to note a missing file.
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(lock);
        threads.swap(answering);
    }
    for (std::thread& thread : threads)
        thread.join();
}

std::string StaticServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port) + "/" + path;
}

std::vector<std::string> StaticServer::notFound() const
{
    std::lock_guard<std::mutex> guard(lock);
    return missing;
}

void StaticServer::accept()
{
    while (!stopping) {
        pollfd waiting{listening, POLLIN, 0};
        if (poll(&waiting, 1, 100) <= 0)
            continue;
        int connection = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        std::lock_guard<std::mutex> guard(lock);
        answering.emplace_back([this, connection] { answer(connection); });
    }
}

void StaticServer::answer(int connection)
{
    // A browser opens connections ahead of need and may leave them idle: each waits for its
    // request only while the server runs.
    std::string request;
    char block[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 && !stopping) {
        pollfd waiting{connection, POLLIN, 0};
        if (poll(&waiting, 1, 100) <= 0)
            continue;
        ssize_t count = recv(connection, block, sizeof block, 0);
        if (count <= 0)
            break;
        request.append(block, size_t(count));
    }
    bool head = false;
    std::string path = requestedPath(request, head);
    std::error_code error;
    if (!path.empty() && std::filesystem::is_regular_file(folder / path, error)) {
        std::string body = readFile(folder / path);
        sendAll(connection, "HTTP/1.1 200 OK\r\nContent-Type: " + mediaType(path) +
                                "\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + (head ? "" : body));
    } else if (!request.empty()) {
        {
            std::lock_guard<std::mutex> guard(lock);
            missing.push_back(path);
        }
        sendAll(connection, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    }
    close(connection);
}
