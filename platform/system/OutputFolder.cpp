// The partial folder, the swap by renames, and the old folder's other entries carried over.
#include "platform/system/OutputFolder.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string besideWithSuffix(const fs::path& target, const char* suffix)
{
#ifdef _WIN32
    long id = _getpid();
#else
    long id = getpid();
#endif
    return (target.parent_path() / ("." + target.filename().string() + suffix + std::to_string(id))).string();
}

// Moves what `old` holds and `fresh` does not into `fresh`; false when an entry stays behind.
bool carryOver(const fs::path& old, const fs::path& fresh)
{
    std::error_code error;
    std::vector<fs::path> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(old, error))
        entries.push_back(entry.path());
    bool all = !error;
    for (const fs::path& entry : entries) {
        if (fs::exists(fs::symlink_status(fresh / entry.filename(), error)))
            continue;
        fs::rename(entry, fresh / entry.filename(), error);
        all = all && !error;
    }
    return all;
}

}  // namespace

OutputFolder::OutputFolder(const fs::path& destination)
    : target(destination), partialPath(besideWithSuffix(destination, ".partial-"))
{
    std::error_code error;
    if (!target.parent_path().empty())
        fs::create_directories(target.parent_path(), error);
    // A folder of this name can only be left from a run killed outright that had this process id.
    if (!error)
        fs::remove_all(partialPath, error);
    if (!error)
        fs::create_directory(partialPath, error);
    if (error)
        failure = "cannot write: " + error.message();
}

OutputFolder::~OutputFolder()
{
    if (!committed) {
        std::error_code ignored;
        fs::remove_all(partialPath, ignored);
    }
}

std::string OutputFolder::commit()
{
    std::error_code error;
    fs::file_status status = fs::symlink_status(target, error);
    bool replacing = fs::exists(status);
    if (replacing && !fs::is_directory(status))
        return "cannot replace: not a folder";
    const fs::path old = besideWithSuffix(target, ".replaced-");
    if (replacing) {
        fs::remove_all(old, error);
        fs::rename(target, old, error);
        if (error)
            return "cannot replace: " + error.message();
    }
    fs::rename(partialPath, target, error);
    if (error) {
        std::error_code ignored;
        if (replacing)
            fs::rename(old, target, ignored);
        return "cannot replace: " + error.message();
    }
    committed = true;
    // Whatever else the old folder held stays with the new one; should any of it not move, the
    // old folder is kept where it is and named.
    if (replacing && !carryOver(old, target))
        return "replaced, but some of the old folder's other files stay in " + old.string();
    fs::remove_all(old, error);
    return "";
}
