// A static file server on the loopback address for the browser tests: it serves one folder's
// files to GET requests, one connection per request, each on a thread of its own, until the
// object goes.
//
//   StaticServer server(site.path());
//   browser.open(server.url("index.html#t=41.5"));
#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class StaticServer {
public:
    explicit StaticServer(const std::filesystem::path& folder);
    ~StaticServer();
    StaticServer(const StaticServer&) = delete;
    StaticServer& operator=(const StaticServer&) = delete;

    // "http://127.0.0.1:PORT/" followed by `path`.
    std::string url(const std::string& path) const;
    // Paths asked for so far that were answered 404.
    std::vector<std::string> notFound() const;

private:
    void accept();
    void answer(int connection);

    std::filesystem::path folder;
    int listening = -1;
    int port = 0;
    std::atomic<bool> stopping = false;
    std::thread acceptor;
    mutable std::mutex lock;
    std::vector<std::thread> answering;
    std::vector<std::string> missing;
};

// The media type a file is served with, from its extension.
std::string mediaType(const std::filesystem::path& path);
