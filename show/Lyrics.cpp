// The lyrics scene.
#include "show/Lyrics.h"

#include <GL/glew.h>

#include "show/LyricLayers.h"

namespace {

const char* const kTimingPath = "data/texttiming.txt";

}  // namespace

Lyrics::Lyrics(ResourceRegistry* registry)
{
    startTime = 0.0;
    endTime = 45.0;
    readTimingFile(kTimingPath, lineStart, lineEnd);
    // The names follow the entry's position alone, so all 87 are looked up even when pairs
    // are missing.
    for (int line = 0; line < kLyricLineCount; ++line)
        lineTextures[line] = registry->getTexture(lineTextureName(line).data());
    quad = createScreenQuad();
    textProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
}

void Lyrics::render(double time)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    backgroundProgram->use();
    glUniform1f(glGetUniformLocation(backgroundProgram->program, "zscore"), kBackgroundZscore);
    glUniform1f(glGetUniformLocation(backgroundProgram->program, "time"), float(time));
    drawScreenQuad(*quad);

    forEachActiveLine(lineStart, lineEnd, time, [this](int line, float zscore) {
        // Made current again for every line, so each texture lands on unit 0.
        textProgram->use();
        glUniform1f(glGetUniformLocation(textProgram->program, "zscore"), zscore);
        textProgram->bindTexture(lineTextures[line]);
        drawScreenQuad(*quad);
    });
}
