// Entering a show folder for --data.
#include "tools/common/DataFolder.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

fs::path absoluteFromHere(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

DataFolder::DataFolder(const fs::path& dataFolder)
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
    if (data.filename() != "data") {
        std::string pattern = (fs::temp_directory_path(error) / "sovane05-show-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            failure = "cannot make a temporary show folder for " + data.string();
            return;
        }
        linkFolder = pattern;
        fs::create_directory_symlink(data, linkFolder / "data", error);
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
