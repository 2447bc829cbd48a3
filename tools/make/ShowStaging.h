// A show folder built out of sight and moved into place whole. The new data/ is made in a
// hidden folder beside FOLDER (so the move is a rename on one file system); a failed or
// interrupted build removes it and leaves FOLDER as it was.
//
//   std::string failure;
//   std::optional<ShowStaging> staging = ShowStaging::begin("myshow", force, failure);
//   ... write staging->data() / "config.txt" …
//   if (!staging->commit(failure)) report(failure);
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class ShowStaging {
public:
    // Checks that FOLDER may be made: it does not exist, is an empty folder, or, with `force`,
    // is a show folder whose data/ (when it has one) holds a config.txt. Then makes the hidden
    // folder. Nothing, with the reason naming FOLDER in `failure`, when it may not.
    static std::optional<ShowStaging> begin(const std::filesystem::path& folder, bool force, std::string& failure);

    ShowStaging(ShowStaging&& other) noexcept;
    ShowStaging& operator=(ShowStaging&&) = delete;
    ShowStaging(const ShowStaging&) = delete;
    ShowStaging& operator=(const ShowStaging&) = delete;
    ~ShowStaging();

    // The data folder being built.
    std::filesystem::path data() const { return staging / "data"; }
    // A folder for scratch files that never reach the show (the children's reports), in the
    // system's temporary folder: a full disk where the show goes must not garble them.
    const std::filesystem::path& scratch() const { return scratchFolder; }

    // Moves the new data/ into FOLDER, replacing its old data/ (and nothing else of FOLDER). The
    // old data/ is kept as FOLDER/data.backup, in place of an older backup: a --force must not
    // lose a file the user edited since the last make.
    bool commit(std::string& failure);

    // Whether commit kept an old data/ as the backup.
    bool keptBackup() const { return replacedData; }

    static constexpr const char* kBackupName = "data.backup";

private:
    ShowStaging(std::filesystem::path showFolder, std::filesystem::path shownFolder,
                std::filesystem::path stagingFolder, std::filesystem::path scratchFolder);
    bool keepReplaced(const std::filesystem::path& old, std::string& failure);

    std::filesystem::path folder;         // absolute
    std::filesystem::path shown;          // as the user typed it, for messages
    std::filesystem::path staging;        // empty once committed or moved from
    std::filesystem::path scratchFolder;  // empty once moved from
    bool replacedData = false;
};
