// What sovane05-web puts into a site, worked out before anything is written, without GL: the
// page's files, every file of the show's data folder under data/, and the list of the show's
// files that the page loads (show-files.json). Also the checks that keep a site from being a
// show other than the one its data folder plays.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct SiteFile {
    std::filesystem::path from;  // where it is read
    std::string path;            // where it goes, relative to the site, with '/': "data/lyrics/000.png"
    uintmax_t bytes = 0;
};

struct SitePlan {
    std::vector<SiteFile> pageFiles;  // the page and its program, at the site's top
    std::vector<SiteFile> dataFiles;  // the data folder's regular files, sorted by path
    std::vector<std::string> skipped; // "DIR/x: not a regular file; left out", one line each
    std::string failure;              // why no site can be made, or ""
};

// Lists the files of the page folder (its top only) and of the data folder (all of it, through
// links); `dataShown` names the data folder in messages as the user gave it. Files that are
// neither regular files nor folders (FIFOs, sockets, devices) are left out and named in
// `skipped`: the show refuses to read them anyway.
SitePlan planSite(const std::filesystem::path& pageFolder, const std::filesystem::path& dataFolder,
                  std::string_view dataShown);

// The paths a configuration text makes the show read that lie outside the data folder, as
// "config.txt:LINE: 'PATH'": a site holds nothing else, so the page could not load them. Paths
// are read from the show's folder, as the show reads them ("data/x.png" is inside).
std::vector<std::string> pathsOutsideData(std::string_view configText);

// The list the page loads: {"music": "data/ywsf.mp3", "files": [{"path": ..., "bytes": ...}, ...]}.
std::string fileListJson(const std::vector<SiteFile>& dataFiles, std::string_view musicPath);
