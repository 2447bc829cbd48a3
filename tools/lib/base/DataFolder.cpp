// Entering a show folder for --data.
#include "tools/lib/base/DataFolder.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

fs::path absoluteFromHere(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

fs::path defaultDataFolder(const fs::path& workingFolder, const fs::path& programFolder)
{
    std::error_code error;
    if (fs::is_regular_file(workingFolder / kShowConfigPath, error))
        return kShowDataFolder;
    if (programFolder.empty())
        return kShowDataFolder;
    fs::path installed = (programFolder / SOVANE05_INSTALLED_DATA).lexically_normal();
    if (fs::is_regular_file(installed / kConfigFileName, error))
        return installed;
    return kShowDataFolder;
}

fs::path runningProgramFolder()
{
    std::error_code error;
    // The executable itself rather than argv[0], which a shell may have found through PATH or a
    // link elsewhere.
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

fs::path defaultDataFolder(std::string_view toolName)
{
    std::error_code error;
    fs::path workingFolder = fs::current_path(error);
    fs::path folder = defaultDataFolder(error ? fs::path(".") : workingFolder, runningProgramFolder());
    if (folder != kShowDataFolder)
        std::fprintf(stderr, "%.*s: reading %s\n", int(toolName.size()), toolName.data(), folder.c_str());
    return folder;
}

std::string asTyped(std::string_view insideShow, std::string_view typedData)
{
    const std::string_view data = kShowDataFolder;
    while (typedData.size() > 1 && typedData.back() == '/')
        typedData.remove_suffix(1);
    if (typedData.empty() || typedData == data || !insideShow.starts_with(data) || insideShow.size() == data.size() ||
        insideShow[data.size()] != '/')
        return std::string(insideShow);
    return std::string(typedData) + std::string(insideShow.substr(data.size()));
}

std::string showFolderExpected(std::string_view defaultOutput, std::string_view remedy)
{
    std::error_code error;
    if (fs::is_directory(kShowDataFolder, error))
        return "";
    return std::string(defaultOutput) + ": no " + kShowDataFolder + "/ folder here: run this in a show folder, or give " +
           std::string(remedy);
}

DataFolder::DataFolder(const fs::path& dataFolder) : typed(dataFolder.string())
{
    std::error_code error;
    startFolder = fs::current_path(error);
    data = absoluteFromHere(dataFolder);
    if (data.has_filename() == false)
        data = data.parent_path();
    if (!fs::is_directory(data, error)) {
        failure = dataFolder.string() + ": not a folder";
        return;
    }
    fs::path showFolder = data.parent_path();
    if (data.filename() != kShowDataFolder) {
        std::string pattern = (fs::temp_directory_path(error) / "sovane05-show-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            failure = "cannot make a temporary show folder for " + data.string();
            return;
        }
        linkFolder = pattern;
        fs::create_directory_symlink(data, linkFolder / kShowDataFolder, error);
        if (error) {
            failure = "cannot link " + data.string() + " as data: " + error.message();
            return;
        }
        showFolder = linkFolder;
    }
    fs::current_path(showFolder, error);
    if (error)
        failure = "cannot enter " + showFolder.string() + ": " + error.message();
}

DataFolder::~DataFolder()
{
    std::error_code error;
    if (!startFolder.empty())
        fs::current_path(startFolder, error);
    if (!linkFolder.empty())
        fs::remove_all(linkFolder, error);
}
