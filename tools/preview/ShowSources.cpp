// Reading the show's config for the files a rebuild depends on.
#include "tools/preview/ShowSources.h"

#include <algorithm>

#include "rules/ConfigLine.h"
#include "rules/SceneList.h"
#include "tools/lib/base/DataFolder.h"

ShowSources readShowSources(std::string_view configText)
{
    ShowSources sources;
    auto watch = [&](const std::string& path) {
        if (std::find(sources.watched.begin(), sources.watched.end(), path) == sources.watched.end())
            sources.watched.push_back(path);
    };
    watch(kShowConfigPath);
    watch(kShowTimingPath);
    watch(kShowSceneListPath);

    size_t lineNumber = 0;
    for (std::string_view text : configLines(configText)) {
        ++lineNumber;
        ConfigLine line = parseConfigLine(text);
        if (line.outcome != ConfigLine::Outcome::Entry)
            continue;
        const ConfigEntry& entry = line.entry;
        watch(entry.path);
        switch (entry.kind) {
        case ResourceKind::Texture:
            sources.texturePaths[entry.name] = entry.path;
            break;
        case ResourceKind::Shader:
            watch(entry.vertexPath);
            sources.programs[entry.name] = {entry.path, entry.vertexPath, lineNumber};
            break;
        case ResourceKind::Mesh:
        case ResourceKind::File:
            break;
        }
    }
    return sources;
}
