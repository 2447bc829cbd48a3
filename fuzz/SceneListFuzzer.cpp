// Fuzzes reading the scene list: whatever the text, the scenes kept are ones the show can draw
// (a window strictly inside itself, not before 0 s, overlapping no other), at most a hundred,
// and every fault names the line it is about.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzTarget.h"
#include "rules/SceneList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SceneList list = parseSceneList(std::string_view(reinterpret_cast<const char*>(data), size));
    if (list.scenes.size() > size_t(kMostScenes))
        std::abort();
    for (size_t i = 0; i < list.scenes.size(); ++i) {
        const ListedScene& scene = list.scenes[i];
        if (!(0.0 <= scene.start && scene.start < scene.end) || scene.line < 1)
            std::abort();
        bool photo = scene.kind == SceneKind::PhotoCompo;
        if (photo != !scene.textures.empty() || scene.textures.size() > size_t(kMostPhotoLayers))
            std::abort();
        for (size_t j = 0; j < i; ++j) {
            const ListedScene& earlier = list.scenes[j];
            if (std::max(earlier.start, scene.start) < std::min(earlier.end, scene.end) || earlier.line >= scene.line)
                std::abort();
        }
    }
    for (const SceneListFault& fault : list.faults) {
        if (fault.line < 1 || fault.what.empty())
            std::abort();
    }
    return 0;
}
