// An output written in one step: into a hidden partial file beside it (".show.mp4.partial-<pid>",
// so the rename that gives it its name stays on one file system and two runs never share one),
// checked at every write, the flush and the close, synced to the disk, then renamed over the
// target. An interrupted or failed run leaves nothing under the real name and no partial file
// behind; a target that exists and is not a regular file (a folder, a device such as /dev/full,
// a FIFO) is refused rather than replaced.
//
//   OutputFile output(target);
//   std::string failure = output.write(bytes);     // or copyFrom(file), or another writer
//   if (failure.empty()) failure = output.commit();   // fills partialPath
#pragma once

#include <cstdio>
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
    // Copies everything `source` holds from where it stands as the whole partial file:
    // "cannot read: <reason>" or "cannot write: <reason>" when that fails.
    std::string copyFrom(std::FILE* source) const;
    // Syncs the finished partial file to the disk and gives it the target's name: "", or
    // "cannot write: <reason>" or "cannot replace: <reason>".
    std::string commit();
    // write, then commit: the whole file in place under its name, or what went wrong.
    std::string writeAndCommit(std::span<const unsigned char> bytes);

    const std::filesystem::path target;
    const std::filesystem::path partialPath;

private:
    bool committed = false;
};

// Writes `bytes` to `path` in one step. Returns what went wrong, or nothing when the file is in
// place.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               const std::vector<unsigned char>& bytes);

// Syncs the file at `path` to the disk: "" or "cannot write: <reason>". A file system that
// could not store what was written (a full disk, an I/O error) says so here at the latest.
std::string syncFile(const std::filesystem::path& path);
