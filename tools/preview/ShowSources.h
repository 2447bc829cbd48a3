// What a rebuild of the show depends on, read from its config text without loading anything:
// the files to watch, and which file each texture and program of the config comes from, so a
// fault found in a built show can name its file.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct ProgramSource {
    std::string fragmentPath;
    std::string vertexPath;
    size_t configLine = 0;  // 1-based
};

struct ShowSources {
    // The config, the timing file, the scene list, then every path the config names, in order,
    // each once.
    std::vector<std::string> watched;
    // By name; a later line of the same name and kind replaces an earlier one, as in the show.
    std::map<std::string, std::string> texturePaths;
    std::map<std::string, ProgramSource> programs;
};

// `configText` is the content of the show's config ("" when there is none).
ShowSources readShowSources(std::string_view configText);
