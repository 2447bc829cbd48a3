// The lyrics scene: an animated background, then every lyric line whose window holds the
// moment, later lines over earlier ones. Each layer is one draw of the scene's quad; where a
// line shows is decided by its image and the "textlayout" program. The stock show has one, from
// 0 to 45 s, with 87 lines; a show with a scene list has one per Lyrics line of the list, all
// drawing the same lines (as many as the timing file holds), each in its own window.
#pragma once

#include "engine/Scene.h"
#include "resources/ResourceRegistry.h"
#include "rules/TimingFile.h"
#include "show/ScreenQuad.h"

class Lyrics : public cg_engine::Scene {
public:
    // Three parallel arrays of lineCount entries on the heap, shared by every lyrics scene of a
    // show; entry i shows lineTextures[i] while lineStart[i] < t < lineEnd[i].
    int lineCount = 0;
    TextureName* lineTextures = nullptr;
    double* lineStart = nullptr;
    double* lineEnd = nullptr;
    ShaderProgram* textProgram = nullptr;        // "textlayout", the registry's
    ShaderProgram* backgroundProgram = nullptr;  // "white", the registry's
    ScreenQuad* quad = nullptr;                  // this scene's own

    // The stock scene, 0 to 45 s: reads 87 pairs of "data/texttiming.txt" and takes the line
    // textures "086" … "000" and both programs from the registry; a missing name throws
    // std::out_of_range.
    explicit Lyrics(ResourceRegistry* registry);

    // A scene of a scene list, from `start` to `end`. Without `sharing`, it reads every pair of
    // the timing file and takes the textures of that many lines; otherwise it draws the lines of
    // `sharing`. Then both programs, as above.
    Lyrics(ResourceRegistry* registry, double start, double end, const Lyrics* sharing);

    void render(double time) override;
};
