// A folder of outputs written in one step, as OutputFile writes one file: its files go into a
// hidden partial folder beside it (".lyrics.partial-<pid>"), which is swapped in with renames
// once every file is complete. Entries of the old folder that the new one does not hold (a
// user's own notes) are moved into the new one, so nothing is lost. An interrupted or failed
// run leaves the old folder as it was and no partial folder behind.
//
//   OutputFolder images("data/lyrics");
//   if (!images.failure.empty()) ...
//   ... write every file into images.partialPath ...
//   std::string failure = images.commit();
#pragma once

#include <filesystem>
#include <string>

class OutputFolder {
public:
    // Makes the partial folder (and the folders the target goes in); `failure` says when it could not ("cannot write: <reason>").
    explicit OutputFolder(const std::filesystem::path& destination);
    // Removes the partial folder unless it was given the target's name.
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Puts the partial folder in the target's place: "", or "cannot replace: <reason>" with
    // the old folder left as it was.
    std::string commit();

    const std::filesystem::path target;
    const std::filesystem::path partialPath;
    std::string failure;

private:
    bool committed = false;
};
