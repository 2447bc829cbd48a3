// The photo scene: the animated background with the photo over it, full screen. The stock show
// has one, from 45 to 58 s, drawing the texture "photo"; a show with a scene list has one per
// PhotoCompo line of the list, each drawing the textures its line names as layers, the first
// lowest.
#pragma once

#include <string>
#include <vector>

#include "engine/Scene.h"
#include "resources/ResourceRegistry.h"
#include "show/ScreenQuad.h"

class PhotoCompo : public cg_engine::Scene {
public:
    ShaderProgram* backgroundProgram = nullptr;  // "white", the registry's
    ShaderProgram* photoProgram = nullptr;       // "textlayout", the registry's
    ScreenQuad* quad = nullptr;                  // this scene's own
    // The layers over the background, on the heap: "photo" alone in the stock show.
    int photoCount = 0;
    TextureName* photoTextures = nullptr;

    // The stock scene, 45 to 58 s: takes the texture "photo" and both programs from the
    // registry; a missing name throws std::out_of_range.
    explicit PhotoCompo(ResourceRegistry* registry);

    // A scene of a scene list, from `start` to `end`, drawing `textures` (one at least), as above.
    PhotoCompo(ResourceRegistry* registry, double start, double end, const std::vector<std::string>& textures);

    void render(double time) override;
};
