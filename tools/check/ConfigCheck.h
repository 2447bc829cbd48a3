// Checking a show's resource configuration as the show reads it (rules/ConfigLine.h):
// lines the show ignores that look meant, lines it skips, names registered twice or empty,
// paths that lead nowhere, and the names the show asks for that nothing registers. No GL.
#pragma once

#include <string>
#include <vector>

#include "rules/ConfigLine.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/Finding.h"

// A complete resource line, which the show loads.
struct ConfiguredResource {
    ConfigEntry entry;
    size_t line = 0;
    bool wins = true;          // no later line of its kind registers the same name
    bool filesPresent = true;  // every file the line names is there to be read
};

struct ConfigCheck {
    bool found = false;  // the file could be read
    std::vector<ConfiguredResource> resources;
    std::vector<Finding> findings;
};

// Reads the configuration at `path`, relative to the working folder like every path in it.
ConfigCheck checkConfig(const std::string& path);

// The winning resource of that kind and name, or null.
const ConfiguredResource* findResource(const ConfigCheck& config, ResourceKind kind, const std::string& name);

// The names the show asks for besides "white" and "textlayout": the stock show's 87 lines and
// "photo"; a show with a scene list asks for its lines (none without a lyrics scene) and for
// the textures its list names, which the timetable check weighs.
struct ShowNames {
    int lineCount = kLyricLineCount;
    bool photo = true;
};

// The names the show asks for ("000" … "086", "photo", "white", "textlayout") that no complete
// line registers; start-up stops at the first. Nothing when the file itself is missing, which
// checkConfig says once.
void checkShowNames(const ConfigCheck& config, const std::string& path, const ShowNames& names,
                    std::vector<Finding>& findings);

// "texture", "shader program", "mesh", "file".
const char* kindNoun(ResourceKind kind);
