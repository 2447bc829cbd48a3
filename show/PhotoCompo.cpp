// The photo scene.
#include "show/PhotoCompo.h"

#include <GL/glew.h>

#include "rules/ShowTimeline.h"
#include "show/Layers.h"

namespace {

// Lower than the lyrics scene's layers: the background here is 0.1, the first photo layer 0.09
// and each later one 0.01 nearer (rules/SceneList.h allows eight).
constexpr float kBackgroundZscore = 0.1f;
constexpr float kPhotoZscore = 0.09f;
constexpr float kLayerZscoreStep = -0.01f;

}  // namespace

PhotoCompo::PhotoCompo(ResourceRegistry* registry)
{
    startTime = kPhotoStart;
    endTime = kPhotoEnd;
    photoCount = 1;
    photoTextures = new TextureName[1]();
    photoTextures[0] = registry->getTexture("photo");
    photoProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
    quad = createScreenQuad();
}

PhotoCompo::PhotoCompo(ResourceRegistry* registry, double start, double end, const std::vector<std::string>& textures)
{
    startTime = start;
    endTime = end;
    photoCount = int(textures.size());
    photoTextures = new TextureName[textures.empty() ? 1 : textures.size()]();
    for (int layer = 0; layer < photoCount; ++layer)
        photoTextures[layer] = registry->getTexture(textures[size_t(layer)]);
    photoProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
    quad = createScreenQuad();
}

void PhotoCompo::render(double time)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBackground(*backgroundProgram, *quad, kBackgroundZscore, time);
    // The photos get the same inputs every frame; only the background follows the time.
    float zscore = kPhotoZscore;
    for (int layer = 0; layer < photoCount; ++layer) {
        drawImage(*photoProgram, *quad, zscore, photoTextures[layer]);
        zscore += kLayerZscoreStep;
    }
}
