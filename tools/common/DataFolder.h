// The show folder a tool works in. The show reads "data/config.txt", "data/texttiming.txt" and
// the paths its config names relative to its working folder, so a tool given `--data DIR`
// works in the folder above DIR, where the show would be started. A DIR not named "data" is
// reached through a temporary folder holding a link "data" to it.
//
//   std::filesystem::path output = absoluteFromHere(options.output);   // before entering
//   DataFolder folder(options.data);
//   if (!folder.failure.empty()) { report(folder.failure); return 1; }
//   ... buildShow(...) reads DIR/config.txt ...
#pragma once

#include <filesystem>
#include <string>

// The files the show itself reads, relative to its folder; everything else the config names.
constexpr const char* kShowConfigPath = "data/config.txt";
constexpr const char* kShowTimingPath = "data/texttiming.txt";
constexpr const char* kShowMusicPath = "data/ywsf.mp3";

// `path` made absolute against the current working folder, for paths a user gave before a
// tool changes folder.
std::filesystem::path absoluteFromHere(const std::filesystem::path& path);

class DataFolder {
public:
    // Enters the show folder of `dataFolder`. On failure the working folder is unchanged.
    explicit DataFolder(const std::filesystem::path& dataFolder);
    // Returns to the working folder it started in and removes the link folder, if any.
    ~DataFolder();
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    std::filesystem::path data;    // the data folder, absolute
    std::string failure;           // "DIR: not a folder", or ""

private:
    std::filesystem::path startFolder;
    std::filesystem::path linkFolder;
};
