// The show folder a tool works in. The show reads "data/config.txt", "data/texttiming.txt" and
// the paths its config names relative to its working folder, so a tool given `--data DIR`
// works in the folder above DIR, where the show would be started. A DIR not named "data" is
// reached through a temporary folder holding a link "data" to it.
//
//   std::filesystem::path output = absoluteFromHere(options.output);   // before entering
//   DataFolder folder(options.data ? *options.data : defaultDataFolder(kTool.name));
//   if (!folder.failure.empty()) { report(folder.failure); return 1; }
//   ... buildShow(...) reads DIR/config.txt ...
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "rules/ShowFiles.h"

// The data folder a tool reads when not given --data: "data" when the working folder holds a
// show (data/config.txt); else the installed show's data beside the program, in
// <bindir>/../share/sovane05/data, when that holds one; else "data" all the same, so that the
// failure names the folder a user expects.
std::filesystem::path defaultDataFolder(const std::filesystem::path& workingFolder,
                                        const std::filesystem::path& programFolder);

// The same for this process, and when it is not "data", one line on standard error naming the
// folder the tool reads: "sovane05-check: reading /usr/share/sovane05/data".
std::filesystem::path defaultDataFolder(std::string_view toolName);

// The folder of this program's executable, where its installed files are found from; empty when
// the system does not say.
std::filesystem::path runningProgramFolder();

// `path` made absolute against the current working folder, for paths a user gave before a
// tool changes folder.
std::filesystem::path absoluteFromHere(const std::filesystem::path& path);

// A path inside the show folder as a tool sees it once inside ("data/white.frag"), or a message
// that starts with one ("data/white.frag:66: error: …"), named as the user would type it from
// where the command ran, given the data folder as they typed it ("myshow/data" gives
// "myshow/data/white.frag"). Other text comes back as it is.
std::string asTyped(std::string_view insideShow, std::string_view typedData);

// "" when the working folder holds a data/ folder for a tool's default output to go in, else
// what it expected and how to give another, "data/photo.png: no data/ folder here: run this in a
// show folder, or give --output FILE" for `defaultOutput` "data/photo.png" and `remedy`
// "--output FILE".
std::string showFolderExpected(std::string_view defaultOutput, std::string_view remedy);

class DataFolder {
public:
    // Enters the show folder of `dataFolder`. On failure the working folder is unchanged.
    explicit DataFolder(const std::filesystem::path& dataFolder);
    // Returns to the working folder it started in and removes the link folder, if any.
    ~DataFolder();
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    // A path or message from inside the show folder, as the user would name it (asTyped).
    std::string asTyped(std::string_view insideShow) const { return ::asTyped(insideShow, typed); }

    std::filesystem::path data;    // the data folder, absolute
    std::string failure;           // "DIR: not a folder", or ""

private:
    std::string typed;  // the data folder as given
    std::filesystem::path startFolder;
    std::filesystem::path linkFolder;
};
