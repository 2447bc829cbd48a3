// The lyrics scene.
#include "show/Lyrics.h"

#include <GL/glew.h>

#include "rules/LyricLayers.h"
#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"
#include "show/Layers.h"

Lyrics::Lyrics(ResourceRegistry* registry)
{
    startTime = kLyricsStart;
    endTime = kLyricsEnd;
    readTimingFile(kShowTimingPath, lineStart, lineEnd);
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
    drawBackground(*backgroundProgram, *quad, kBackgroundZscore, time);
    forEachActiveLine(lineStart, lineEnd, time, [this](int line, float zscore) {
        drawImage(*textProgram, *quad, zscore, lineTextures[line]);
    });
}
