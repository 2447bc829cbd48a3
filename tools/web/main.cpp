// sovane05-web: turns a show folder into a site that any static web server serves, where the
// show plays live in the browser, drawn by the show's own code compiled to WebAssembly: the
// page, its program and every file of the show's data folder. It only copies and writes files.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/system/OutputFile.h"
#include "platform/system/OutputFolder.h"
#include "platform/system/StopSignal.h"
#include "rules/InputFile.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/base/Progress.h"
#include "tools/web/SitePlan.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-web [--data DIR] --output SITE [--force]\n"
    "\n"
    "Writes the folder SITE: a web page that plays the show live in the browser, drawn by the\n"
    "show's own code compiled to WebAssembly with WebGL 2, in step with its music, at the\n"
    "viewer's resolution. It holds index.html, the page's program and every file of the show's\n"
    "data folder. Serve SITE with any static web server and open index.html; index.html#t=41.5\n"
    "opens the show paused at that moment.\n"
    "\n";

constexpr std::string_view kNotes = "Exit status: 0 written, 1 a reported failure, 2 a usage error.\n";

struct Options {
    std::string data;  // empty: the working folder's show, else the installed one
    std::string output;
    bool force = false;
};

std::vector<Option> optionTable(Options& options)
{
    return {
        {"--data", "", "DIR", "the show's data folder (default ./data, else the installed show's)",
         storeValue(options.data)},
        {"--output", "-o", "SITE", "the folder to write", storeValue(options.output)},
        {"--force", "", "", "replace SITE if it exists", setFlag(options.force)},
    };
}

const Tool kTool = describeTool("sovane05-web", kSynopsis, optionTable, kNotes);

// The installed page beside the program, else the one this build made.
std::optional<fs::path> pageFolder()
{
    std::error_code error;
    std::vector<fs::path> candidates;
    if (fs::path programFolder = runningProgramFolder(); !programFolder.empty())
        candidates.push_back((programFolder / SOVANE05_INSTALLED_PAGE).lexically_normal());
    if (std::string_view(SOVANE05_BUILD_PAGE_DIR) != "")
        candidates.emplace_back(SOVANE05_BUILD_PAGE_DIR);
    for (const fs::path& candidate : candidates) {
        if (fs::is_regular_file(candidate / "index.html", error))
            return candidate;
    }
    return std::nullopt;
}

bool isWithin(const fs::path& inner, const fs::path& outer)
{
    auto [end, ignored] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
}

// What keeps the show's data folder `data` from becoming the site `site`, or "".
std::string checkShowFolder(const fs::path& data, const std::string& dataShown)
{
    std::error_code error;
    if (!fs::is_directory(data, error))
        return dataShown + ": not a folder";
    fs::path config = data / kConfigFileName;
    InputText configText = readInputFile(config.c_str());
    if (!configText.read)
        return (fs::path(dataShown) / kConfigFileName).string() + ": " + configText.failure + "; not a show's data folder";
    if (!fs::is_regular_file(data / kMusicFileName, error))
        return (fs::path(dataShown) / kMusicFileName).string() + ": missing; the page plays the show with its music";
    std::vector<std::string> outside = pathsOutsideData(configText.text);
    if (!outside.empty()) {
        return (fs::path(dataShown) / outside.front()).string() +
               " lies outside the data folder, and a site holds nothing else; copy the file into " + dataShown +
               " and name it data/... in the configuration" +
               (outside.size() > 1 ? " (and " + std::to_string(outside.size() - 1) + " more)" : "");
    }
    return "";
}

// What keeps SITE from being written, or "".
std::string checkOutput(const fs::path& site, const std::string& siteShown, const fs::path& data, bool force)
{
    std::error_code error;
    fs::file_status status = fs::symlink_status(site, error);
    if (fs::exists(status) && !fs::is_directory(status))
        return siteShown + ": exists and is not a folder";
    if (fs::exists(status) && !force)
        return siteShown + ": exists; --force replaces it";
    fs::path realData = fs::weakly_canonical(data, error);
    fs::path realSite = fs::weakly_canonical(site, error);
    if (isWithin(realSite, realData))
        return siteShown + ": lies inside the data folder, whose every file the site takes";
    if (isWithin(realData, realSite))
        return siteShown + ": holds the data folder, which replacing it would delete";
    return "";
}

// Copies `files` into `folder`. A failure names a file of the show's data folder as the user
// typed that folder (`dataShown`), one of the page where it is installed (`dataShown` empty).
std::string copyInto(const fs::path& folder, const std::vector<SiteFile>& files, std::string_view dataShown,
                     uintmax_t& bytes)
{
    for (const SiteFile& file : files) {
        if (stopRequested())
            return "interrupted";
        std::error_code error;
        fs::path to = folder / file.path;
        fs::create_directories(to.parent_path(), error);
        if (!error)
            fs::copy_file(file.from, to, error);
        if (error)
            return (dataShown.empty() ? file.from.string() : asTyped(file.path, dataShown)) +
                   ": cannot copy: " + error.message();
        bytes += fs::file_size(to, error);
    }
    return "";
}

// Writes `name` into the partial site `folder`; a failure names it inside SITE as the user typed it.
std::string writeText(const fs::path& folder, const std::string& name, std::string_view text,
                      const std::string& siteShown)
{
    std::optional<std::string> failure =
        writeFileAtomically(folder / name, std::vector<unsigned char>(text.begin(), text.end()));
    return failure ? (fs::path(siteShown) / name).string() + ": " + *failure : "";
}

// Copies everything the plan lists into a hidden folder beside SITE, then gives it SITE's name.
int writeSite(const SitePlan& plan, const fs::path& site, const std::string& siteShown, const std::string& dataShown)
{
    OutputFolder partial(site);
    if (!partial.failure.empty())
        return reportFailure(kTool, siteShown + ": " + partial.failure);
    uintmax_t pageBytes = 0;
    uintmax_t dataBytes = 0;
    std::string failure = copyInto(partial.partialPath, plan.pageFiles, "", pageBytes);
    if (failure.empty())
        failure = copyInto(partial.partialPath, plan.dataFiles, dataShown, dataBytes);
    if (failure.empty())
        failure = writeText(partial.partialPath, "show-files.json", fileListJson(plan.dataFiles, kShowMusicPath),
                            siteShown);
    if (failure == "interrupted" || stopRequested())
        return reportFailure(kTool, "interrupted; " + siteShown + " not written");
    if (!failure.empty())
        return reportFailure(kTool, failure + "; " + siteShown + " not written");
    failure = partial.commit();
    if (!failure.empty())
        return reportFailure(kTool, siteShown + ": " + failure);
    std::fprintf(stderr, "sovane05-web: wrote %s: the page and its program (%s), and the %zu files of %s (%s)\n",
                 siteShown.c_str(), sizeInWords(pageBytes).c_str(), plan.dataFiles.size(), dataShown.c_str(),
                 sizeInWords(dataBytes).c_str());
    return 0;
}

int makeSite(const Options& options)
{
    fs::path dataGiven = options.data.empty() ? defaultDataFolder(kTool.name) : fs::path(options.data);
    std::string dataShown = dataGiven.string();
    fs::path data = absoluteFromHere(dataGiven);
    // "site/" names the folder "site"; ".", ".." and "/" name none that could be written.
    fs::path given = fs::path(options.output).lexically_normal();
    if (!given.has_filename())
        given = given.parent_path();
    if (!given.has_filename() || given.filename() == "." || given.filename() == "..")
        return reportFailure(kTool, options.output + ": name a folder to write");
    fs::path site = absoluteFromHere(given);

    std::string failure = checkShowFolder(data, dataShown);
    if (failure.empty())
        failure = checkOutput(site, options.output, data, options.force);
    if (!failure.empty())
        return reportFailure(kTool, failure);
    std::optional<fs::path> page = pageFolder();
    if (!page)
        return reportFailure(kTool, "the page's program is not installed: this build was made without Emscripten "
                                    "(scripts/setup installs it; then build and install again)");

    SitePlan plan = planSite(*page, data, dataShown);
    if (!plan.failure.empty())
        return reportFailure(kTool, plan.failure);
    for (const std::string& skipped : plan.skipped)
        std::fprintf(stderr, "sovane05-web: %s\n", skipped.c_str());
    return writeSite(plan, site, options.output, dataShown);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;
    if (options.output.empty())
        return usageError(kTool, "--output SITE is needed");
    catchStopSignals();
    return makeSite(options);
}
