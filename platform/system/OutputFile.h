// An output written in one step: into a hidden partial file beside it (".show.mp4.partial-<pid>",
// so the rename that gives it its name stays on one file system and two runs never share one),
// then renamed over the target once complete. An interrupted or failed run leaves nothing
// under the real name and no partial file behind.
//
//   OutputFile output(target);
//   std::string failure = output.write(bytes);     // or let another writer fill partialPath()
//   if (failure.empty()) failure = output.commit();
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

// Writes `bytes` to `path` in one step. Returns what went wrong, or nothing when the file is in
// place.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               const std::vector<unsigned char>& bytes);
