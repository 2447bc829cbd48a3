// Staging beside the target and swapping data/ in with renames.
#include "tools/make/ShowStaging.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <unistd.h>

#include "tools/lib/base/DataFolder.h"

namespace fs = std::filesystem;

std::optional<ShowStaging> ShowStaging::begin(const fs::path& folder, bool force, std::string& failure)
{
    std::error_code error;
    fs::path absolute = absoluteFromHere(folder);
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    const std::string name = folder.string();
    fs::file_status status = fs::symlink_status(absolute, error);
    if (fs::exists(status)) {
        if (!fs::is_directory(status)) {
            failure = name + ": exists and is not a folder";
            return std::nullopt;
        }
        if (!fs::is_empty(absolute, error)) {
            if (!force) {
                failure = name + ": already exists; --force replaces its data/";
                return std::nullopt;
            }
            fs::path data = absolute / "data";
            if (fs::exists(fs::symlink_status(data, error)) &&
                (!fs::is_directory(fs::symlink_status(data, error)) || !fs::is_regular_file(data / kConfigFileName, error))) {
                failure = (fs::path(name) / "data").string() + ": not a show's data folder (no config.txt); not replaced";
                return std::nullopt;
            }
        }
    }
    fs::path parent = absolute.parent_path();
    fs::file_status parentStatus = fs::status(parent, error);
    if (!fs::is_directory(parentStatus)) {
        // Named as the user wrote it where there is a name: "afile/show" goes in "afile".
        std::string shownParent = folder.has_parent_path() ? folder.parent_path().string() : parent.string();
        failure = name + ": the folder it would go in, " + shownParent +
                  (fs::exists(parentStatus) ? ", is not a folder" : ", does not exist");
        return std::nullopt;
    }
    std::string pattern = (parent / ".sovane05-make-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        failure = name + ": cannot make a folder beside it to build in: " + std::generic_category().message(errno);
        return std::nullopt;
    }
    fs::create_directory(fs::path(pattern) / "data", error);
    if (error) {
        failure = name + ": cannot make a folder beside it to build in: " + error.message();
        fs::remove_all(pattern, error);
        return std::nullopt;
    }
    std::string scratchPattern = (fs::temp_directory_path(error) / "sovane05-make-XXXXXX").string();
    if (mkdtemp(scratchPattern.data()) == nullptr) {
        failure = name + ": cannot make a temporary folder: " + std::generic_category().message(errno);
        fs::remove_all(pattern, error);
        return std::nullopt;
    }
    return ShowStaging(absolute, folder, pattern, scratchPattern);
}

ShowStaging::ShowStaging(fs::path showFolder, fs::path shownFolder, fs::path stagingFolder, fs::path scratchPath)
    : folder(std::move(showFolder)), shown(std::move(shownFolder)), staging(std::move(stagingFolder)),
      scratchFolder(std::move(scratchPath))
{
}

ShowStaging::ShowStaging(ShowStaging&& other) noexcept
    : folder(std::move(other.folder)), shown(std::move(other.shown)), staging(std::move(other.staging)),
      scratchFolder(std::move(other.scratchFolder)), replacedData(other.replacedData)
{
    other.staging.clear();
    other.scratchFolder.clear();
}

ShowStaging::~ShowStaging()
{
    std::error_code error;
    if (!staging.empty())
        fs::remove_all(staging, error);
    if (!scratchFolder.empty())
        fs::remove_all(scratchFolder, error);
}

bool ShowStaging::commit(std::string& failure)
{
    std::error_code error;
    // A new folder is made here rather than renamed from the staging folder, which mkdtemp
    // keeps private to its owner: the show folder gets the user's usual permissions.
    bool made = fs::create_directory(folder, error);
    if (error) {
        failure = shown.string() + ": cannot make the folder: " + error.message();
        return false;
    }
    // An existing folder keeps everything but its data/, which is swapped for the new one.
    fs::path old = staging / "replaced";
    bool hadData = fs::exists(fs::symlink_status(folder / "data", error));
    if (hadData) {
        fs::rename(folder / "data", old, error);
        if (error) {
            failure = (shown / "data").string() + ": cannot move it aside: " + error.message();
            return false;
        }
    }
    fs::rename(data(), folder / "data", error);
    if (error) {
        failure = (shown / "data").string() + ": cannot move the new data into place: " + error.message();
        std::error_code ignored;
        if (hadData)
            fs::rename(old, folder / "data", ignored);
        if (made)
            fs::remove(folder, ignored);
        return false;
    }
    return !hadData || keepReplaced(old, failure);
}

bool ShowStaging::keepReplaced(const fs::path& old, std::string& failure)
{
    // One level of backup: the one before is let go, as the message of the run that made it said.
    std::error_code error;
    const fs::path backup = folder / kBackupName;
    bool older = fs::exists(fs::symlink_status(backup, error));
    error.clear();
    if (older)
        fs::rename(backup, staging / "older", error);
    if (!error)
        fs::rename(old, backup, error);
    if (error) {
        // The new data/ is in place; the old one goes back beside it under a name of its own
        // rather than with the staging folder.
        std::error_code ignored;
        std::string keptName = "data.replaced-" + std::to_string(getpid());
        fs::rename(old, folder / keptName, ignored);
        failure = (shown / kBackupName).string() + ": cannot keep the replaced data/ here: " + error.message() +
                  (ignored ? "" : "; it is in " + (shown / keptName).string());
        return false;
    }
    replacedData = true;
    return true;
}
