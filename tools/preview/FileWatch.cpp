// File signatures, inotify and the reload schedule.
#include "tools/preview/FileWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

FileSignature signatureOf(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return {};
    return {true, uintmax_t(status.st_size), int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
            uint64_t(status.st_ino)};
}

void ReloadSchedule::scanned(double now, bool changed)
{
    nextScan = now + kPollInterval;
    if (changed)
        lastChange = now;
}

bool ReloadSchedule::takeReload(double now)
{
    if (!lastChange || now - *lastChange < kQuiet)
        return false;
    lastChange.reset();
    return true;
}

FileWatch::FileWatch() : notifications(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FileWatch::~FileWatch()
{
    if (notifications >= 0)
        close(notifications);
}

void FileWatch::watch(const std::vector<std::string>& watched, double now)
{
    paths = watched;
    signatures.clear();
    for (const std::string& path : paths)
        signatures.push_back(signatureOf(path));
    schedule = ReloadSchedule(now);
    if (notifications < 0)
        return;
    // Editors and tools often write a new file and rename it over the old one, so the folder is
    // watched, not the file. Reading the files for a rebuild raises none of these events.
    constexpr uint32_t kChanges =
        IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    for (const std::string& path : paths) {
        std::filesystem::path parent = std::filesystem::path(path).parent_path();
        std::string folder = parent.empty() ? std::string(".") : parent.string();
        if (std::find(folders.begin(), folders.end(), folder) != folders.end())
            continue;
        if (inotify_add_watch(notifications, folder.c_str(), kChanges) >= 0)
            folders.push_back(folder);
    }
}

bool FileWatch::drainNotifications()
{
    if (notifications < 0)
        return false;
    bool any = false;
    alignas(inotify_event) char events[4096];
    while (read(notifications, events, sizeof events) > 0)
        any = true;
    return any;
}

bool FileWatch::reloadDue(double now)
{
    if (schedule.scanDue(now, drainNotifications())) {
        bool changed = false;
        for (size_t i = 0; i < paths.size(); ++i) {
            FileSignature signature = signatureOf(paths[i]);
            if (signature != signatures[i]) {
                signatures[i] = signature;
                changed = true;
            }
        }
        schedule.scanned(now, changed);
    }
    return schedule.takeReload(now);
}
