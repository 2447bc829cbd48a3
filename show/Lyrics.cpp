// The lyrics scene.
#include "show/Lyrics.h"

#include <GL/glew.h>

#include "rules/LyricLayers.h"
#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"
#include "show/Layers.h"

namespace {

// The line textures of `count` lines, looked up in line order.
TextureName* lineTexturesOf(ResourceRegistry* registry, int count)
{
    TextureName* textures = new TextureName[size_t(count > 0 ? count : 1)]();
    for (int line = 0; line < count; ++line)
        textures[line] = registry->getTexture(lineTextureName(line, count).data());
    return textures;
}

}  // namespace

Lyrics::Lyrics(ResourceRegistry* registry)
{
    startTime = kLyricsStart;
    endTime = kLyricsEnd;
    lineCount = kLyricLineCount;
    lineStart = new double[kLyricLineCount]();
    lineEnd = new double[kLyricLineCount]();
    readTimingFile(kShowTimingPath, lineStart, lineEnd);
    // The names follow the entry's position alone, so all 87 are looked up even when pairs
    // are missing.
    lineTextures = lineTexturesOf(registry, kLyricLineCount);
    quad = createScreenQuad();
    textProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
}

Lyrics::Lyrics(ResourceRegistry* registry, double start, double end, const Lyrics* sharing)
{
    startTime = start;
    endTime = end;
    if (sharing != nullptr) {
        lineCount = sharing->lineCount;
        lineTextures = sharing->lineTextures;
        lineStart = sharing->lineStart;
        lineEnd = sharing->lineEnd;
    } else {
        lineStart = new double[kMostLyricEntries]();
        lineEnd = new double[kMostLyricEntries]();
        lineCount = readEveryTimingPair(kShowTimingPath, lineStart, lineEnd);
        lineTextures = lineTexturesOf(registry, lineCount);
    }
    quad = createScreenQuad();
    textProgram = registry->getShader("textlayout");
    backgroundProgram = registry->getShader("white");
}

void Lyrics::render(double time)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBackground(*backgroundProgram, *quad, kBackgroundZscore, time);
    forEachActiveLine(lineStart, lineEnd, lineCount, time, [this](int line, float zscore) {
        drawImage(*textProgram, *quad, zscore, lineTextures[line]);
    });
}
