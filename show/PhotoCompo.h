// The closing scene, 45 to 58 s: the animated background with the photo over it, full screen.
#pragma once

#include "engine/Scene.h"
#include "resources/ResourceRegistry.h"
#include "show/ScreenQuad.h"

class PhotoCompo : public cg_engine::Scene {
public:
    ShaderProgram* backgroundProgram = nullptr;  // "white", the registry's
    ShaderProgram* photoProgram = nullptr;       // "textlayout", the registry's
    ScreenQuad* quad = nullptr;                  // this scene's own
    TextureName photoTexture = 0;                // "photo"

    // Takes the texture "photo" and both programs from the registry; a missing name throws
    // std::out_of_range.
    explicit PhotoCompo(ResourceRegistry* registry);

    void render(double time) override;
};
