// The photo scene.
#include "show/PhotoCompo.h"

#include <GL/glew.h>

#include "rules/ShowTimeline.h"
#include "show/Layers.h"

namespace {

// Lower than the lyrics scene's layers: the background here is 0.1, the photo 0.09.
constexpr float kBackgroundZscore = 0.1f;
constexpr float kPhotoZscore = 0.09f;

}  // namespace

PhotoCompo::PhotoCompo(ResourceRegistry* registry)
{
    startTime = kPhotoStart;
    endTime = kPhotoEnd;
    photoTexture = registry->getTexture("photo");
    photoProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
    quad = createScreenQuad();
}

void PhotoCompo::render(double time)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBackground(*backgroundProgram, *quad, kBackgroundZscore, time);
    // The photo gets the same inputs every frame; only the background follows the time.
    drawImage(*photoProgram, *quad, kPhotoZscore, photoTexture);
}
