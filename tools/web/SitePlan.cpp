// Planning a site: listing the page's and the show's files, and the checks on them.
#include "tools/web/SitePlan.h"

#include <algorithm>
#include <system_error>

#include "rules/ConfigLine.h"
#include "tools/lib/base/JsonString.h"
#include "tools/lib/base/Utf8.h"

namespace fs = std::filesystem;

namespace {

// Deeper than any show's folders: a link that leads back up has been followed.
constexpr int kDeepestFolder = 32;

const char* const kPageFilesNeeded[] = {"index.html", "page.js", "sovane05.js", "sovane05.wasm"};

std::string shown(std::string_view dataShown, const fs::path& relative)
{
    std::string folder(dataShown);
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder + relative.generic_string();
}

void listPageFiles(const fs::path& pageFolder, SitePlan& plan)
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(pageFolder, error)) {
        if (!entry.is_regular_file(error))
            continue;
        std::string name = entry.path().filename().string();
        plan.pageFiles.push_back({entry.path(), name, entry.file_size(error)});
    }
    if (error) {
        plan.failure = pageFolder.string() + ": cannot read the page's files: " + error.message();
        return;
    }
    for (const char* needed : kPageFilesNeeded) {
        bool found = std::any_of(plan.pageFiles.begin(), plan.pageFiles.end(),
                                 [&](const SiteFile& file) { return file.path == needed; });
        if (!found) {
            plan.failure = pageFolder.string() + ": the page's " + needed + " is missing; build the project with " +
                           "Emscripten (scripts/setup installs it) and install it again";
            return;
        }
    }
}

// One entry of the data folder: a regular file is taken, a folder is gone into by the walk,
// anything else is left out with a line saying so. False when the walk cannot go on.
bool takeDataEntry(const fs::directory_entry& entry, const fs::path& dataFolder, std::string_view dataShown,
                   SitePlan& plan)
{
    fs::path relative = entry.path().lexically_relative(dataFolder);
    std::string name = shown(dataShown, relative);
    if (!isUtf8(relative.generic_string())) {
        plan.failure = name + ": the name is not UTF-8, which a web address needs; rename it";
        return false;
    }
    std::error_code error;
    fs::file_status status = entry.status(error);
    if (fs::is_directory(status))
        return true;
    if (!fs::is_regular_file(status)) {
        plan.skipped.push_back(name + (error ? ": a link to nothing; left out" : ": not a regular file; left out"));
        return true;
    }
    uintmax_t bytes = fs::file_size(entry.path(), error);
    if (error) {
        plan.failure = name + ": cannot read: " + error.message();
        return false;
    }
    plan.dataFiles.push_back({entry.path(), "data/" + relative.generic_string(), bytes});
    return true;
}

void listDataFiles(const fs::path& dataFolder, std::string_view dataShown, SitePlan& plan)
{
    std::error_code error;
    fs::recursive_directory_iterator walk(dataFolder, fs::directory_options::follow_directory_symlink, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk.depth() > kDeepestFolder) {
            plan.failure = shown(dataShown, walk->path().lexically_relative(dataFolder)) +
                           ": folders nested too deep; does a link lead back up?";
            return;
        }
        if (!takeDataEntry(*walk, dataFolder, dataShown, plan))
            return;
    }
    if (error) {
        plan.failure = std::string(dataShown) + ": cannot read the folder: " + error.message();
        return;
    }
    std::sort(plan.dataFiles.begin(), plan.dataFiles.end(),
              [](const SiteFile& a, const SiteFile& b) { return a.path < b.path; });
}

bool insideData(const std::string& path)
{
    fs::path normal = fs::path(path).lexically_normal();
    std::string generic = normal.generic_string();
    return !normal.is_absolute() && generic.starts_with("data/") && generic.size() > 5;
}

}  // namespace

SitePlan planSite(const fs::path& pageFolder, const fs::path& dataFolder, std::string_view dataShown)
{
    SitePlan plan;
    listPageFiles(pageFolder, plan);
    if (plan.failure.empty())
        listDataFiles(dataFolder, dataShown, plan);
    return plan;
}

std::vector<std::string> pathsOutsideData(std::string_view configText)
{
    std::vector<std::string> outside;
    size_t lineNumber = 0;
    for (std::string_view text : configLines(configText)) {
        ++lineNumber;
        ConfigLine line = parseConfigLine(text);
        if (line.outcome != ConfigLine::Outcome::Entry || line.entry.kind == ResourceKind::File)
            continue;
        std::vector<std::string> paths = {line.entry.path};
        if (line.entry.kind == ResourceKind::Shader)
            paths.push_back(line.entry.vertexPath);
        for (const std::string& path : paths) {
            if (!insideData(path))
                outside.push_back("config.txt:" + std::to_string(lineNumber) + ": '" + path + "'");
        }
    }
    return outside;
}

std::string fileListJson(const std::vector<SiteFile>& dataFiles, std::string_view musicPath)
{
    std::string json = "{\"music\": " + jsonString(musicPath) + ", \"files\": [";
    for (size_t i = 0; i < dataFiles.size(); ++i) {
        json += i == 0 ? "\n" : ",\n";
        json += "  {\"path\": " + jsonString(dataFiles[i].path) + ", \"bytes\": " + std::to_string(dataFiles[i].bytes) +
                "}";
    }
    return json + "\n]}\n";
}
