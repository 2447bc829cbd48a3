// The lyrics scene, 0 to 45 s: an animated background, then every lyric line whose window
// holds the moment, later lines over earlier ones. Each layer is one draw of the scene's quad;
// where a line shows is decided by its image and the "textlayout" program.
#pragma once

#include "engine/Scene.h"
#include "resources/ResourceRegistry.h"
#include "rules/TimingFile.h"
#include "show/ScreenQuad.h"

class Lyrics : public cg_engine::Scene {
public:
    TextureName lineTextures[kLyricLineCount] = {};
    double lineStart[kLyricLineCount] = {};
    double lineEnd[kLyricLineCount] = {};
    ShaderProgram* textProgram = nullptr;        // "textlayout", the registry's
    ShaderProgram* backgroundProgram = nullptr;  // "white", the registry's
    ScreenQuad* quad = nullptr;                  // this scene's own

    // Reads "data/texttiming.txt" and takes the line textures "086" … "000" and both programs
    // from the registry; a missing name throws std::out_of_range.
    explicit Lyrics(ResourceRegistry* registry);

    void render(double time) override;
};
