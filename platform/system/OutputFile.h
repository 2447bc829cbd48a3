// An output written in one step: into a hidden partial file beside it (".show.mp4.partial-<pid>",
// so the rename that gives it its name stays on one file system and two runs never share one),
// then renamed over the target once complete. An interrupted or failed run leaves nothing
// under the real name and no partial file behind. A folder is written the same way.
//
//   OutputFile output(target);
//   std::string failure = output.write(bytes);     // or let another writer fill partialPath()
//   if (failure.empty()) failure = output.commit();
//
//   OutputFolder folder(site);
//   std::string failure = folder.create();
//   ... fill folder.partialPath ...
//   if (failure.empty()) failure = folder.commit(replace);
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& destination);
    // Removes the partial file unless it was given the target's name.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the partial file empty, to learn before long work whether the folder takes files.
    // "" when it did, else "cannot write: <reason>".
    std::string create() const;
    // Writes `bytes` as the whole partial file, each write, the flush and the close checked.
    std::string write(std::span<const unsigned char> bytes) const;
    // Gives the finished partial file the target's name: "" or "cannot replace: <reason>".
    std::string commit();

    const std::filesystem::path target;
    const std::filesystem::path partialPath;

private:
    bool committed = false;
};

class OutputFolder {
public:
    explicit OutputFolder(const std::filesystem::path& destination);
    // Removes the partial folder and all it holds unless it was given the target's name.
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Makes the partial folder, empty, and the folders the target goes in: "" when it did, else
    // "cannot write: <reason>".
    std::string create() const;
    // Gives the filled partial folder the target's name. With `replace`, a folder already there
    // is moved aside first and removed only once the new one stands in its place, or put back
    // when it cannot be. "", "cannot replace: <reason>", or, with the new folder in place,
    // "written, but the old folder stays at <path>: <reason>".
    std::string commit(bool replace);

    const std::filesystem::path target;
    const std::filesystem::path partialPath;

private:
    bool committed = false;
};

// Writes `bytes` to `path` in one step. Returns what went wrong, or nothing when the file is in
// place.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               const std::vector<unsigned char>& bytes);
