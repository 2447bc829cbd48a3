// Noticing edits to the files a rebuild of the show depends on. inotify on their folders says
// at once that something there changed; each file's signature (whether it exists, its size,
// modification time and inode) decides whether it did, and is compared every quarter second
// anyway, so a change inotify cannot see (a folder made later, a network file system) is still
// found. A change is taken once the files have been quiet for a tenth of a second, so a tool
// writing many files (the lyric tool writes 88) causes one rebuild, not one per file.
//
//   watch.watch(sources.watched, now());   // right before the rebuild reads them
//   ...every frame: if (watch.reloadDue(now())) rebuild();
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FileSignature {
    bool exists = false;
    uintmax_t size = 0;
    int64_t modified = 0;  // nanoseconds
    uint64_t inode = 0;
    bool operator==(const FileSignature&) const = default;
};

FileSignature signatureOf(const std::string& path);

// When to compare signatures and when a change is due, from the times alone.
class ReloadSchedule {
public:
    static constexpr double kPollInterval = 0.25;
    static constexpr double kQuiet = 0.1;

    explicit ReloadSchedule(double now = 0.0) : nextScan(now + kPollInterval) {}

    // Compare now: inotify said something, or a poll interval has passed.
    bool scanDue(double now, bool notified) const { return notified || now >= nextScan; }
    // What the comparison at `now` found.
    void scanned(double now, bool changed);
    // True once for each settled change: the last change seen is at least kQuiet old.
    bool takeReload(double now);

private:
    double nextScan;
    std::optional<double> lastChange;
};

class FileWatch {
public:
    FileWatch();
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Takes the signatures of `paths` as they are now and watches their folders.
    void watch(const std::vector<std::string>& paths, double now);
    // Whether the files changed since watch() and have settled; true once per change.
    bool reloadDue(double now);

private:
    bool drainNotifications();

    int notifications = -1;  // the inotify descriptor, -1 where there is none
    std::vector<std::string> folders;
    std::vector<std::string> paths;
    std::vector<FileSignature> signatures;
    ReloadSchedule schedule;
};
