// The warm-up draws at the end of start-up.
#include "show/ShowWarmUp.h"

#include <GL/glew.h>

#include "resources/GlDialect.h"
#include "rules/LyricLayers.h"
#include "show/Layers.h"
#include "show/Lyrics.h"
#include "show/PhotoCompo.h"

namespace {

TextureShape shapeOf(TextureName texture)
{
    TextureShape shape;
    readTextureSize(texture, shape.width, shape.height);
    return shape;
}

// One scene's layers: its background, then one image of each kind over it.
void warmUpLayers(ShaderProgram& background, ShaderProgram& images, const ScreenQuad& quad, double time,
                  const std::vector<TextureName>& textures)
{
    std::vector<TextureShape> shapes;
    for (TextureName texture : textures)
        shapes.push_back(shapeOf(texture));
    drawBackground(background, quad, kBackgroundZscore, time);
    for (int index : oneTextureOfEachKind(shapes))
        drawImage(images, quad, kFirstLineZscore, textures[size_t(index)]);
}

}  // namespace

void warmUpShow(cg_engine::Demo& demo)
{
    // The lyrics scenes of a scene list share their lines: the first one warms up for all.
    const TextureName* warmedLines = nullptr;
    for (cg_engine::Scene* scene : demo.scenes) {
        if (auto* lyrics = dynamic_cast<Lyrics*>(scene)) {
            if (lyrics->lineTextures == warmedLines)
                continue;
            warmedLines = lyrics->lineTextures;
            warmUpLayers(*lyrics->backgroundProgram, *lyrics->textProgram, *lyrics->quad, lyrics->startTime,
                         std::vector<TextureName>(lyrics->lineTextures, lyrics->lineTextures + lyrics->lineCount));
        } else if (auto* photo = dynamic_cast<PhotoCompo*>(scene)) {
            warmUpLayers(*photo->backgroundProgram, *photo->photoProgram, *photo->quad, photo->startTime,
                         std::vector<TextureName>(photo->photoTextures, photo->photoTextures + photo->photoCount));
        }
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
