// The photo scene.
#include "show/PhotoCompo.h"

#include <GL/glew.h>

namespace {

// Lower than the lyrics scene's layers: the background here is 0.1, the photo 0.09.
constexpr float kBackgroundZscore = 0.1f;
constexpr float kPhotoZscore = 0.09f;

}  // namespace

PhotoCompo::PhotoCompo(ResourceRegistry* registry)
{
    startTime = 45.0;
    endTime = 58.0;
    photoTexture = registry->getTexture("photo");
    photoProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
    quad = createScreenQuad();
}

void PhotoCompo::render(double time)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    backgroundProgram->use();
    glUniform1f(glGetUniformLocation(backgroundProgram->program, "zscore"), kBackgroundZscore);
    glUniform1f(glGetUniformLocation(backgroundProgram->program, "time"), float(time));
    drawScreenQuad(*quad);

    // The photo gets the same inputs every frame; only the background follows the time.
    photoProgram->use();
    glUniform1f(glGetUniformLocation(photoProgram->program, "zscore"), kPhotoZscore);
    photoProgram->bindTexture(photoTexture);
    drawScreenQuad(*quad);
}
