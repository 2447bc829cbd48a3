// Drawing the scenes' layers.
#include "show/Layers.h"

#include <GL/glew.h>

void drawBackground(ShaderProgram& program, const ScreenQuad& quad, float zscore, double time)
{
    program.use();
    glUniform1f(glGetUniformLocation(program.program, "zscore"), zscore);
    glUniform1f(glGetUniformLocation(program.program, "time"), float(time));
    drawScreenQuad(quad);
}

void drawImage(ShaderProgram& program, const ScreenQuad& quad, float zscore, TextureName image)
{
    // A texture without an image would sample as opaque black and cover everything below it.
    if (!hasImage(image))
        return;
    // Made current again for every image, so each lands on texture unit 0.
    program.use();
    glUniform1f(glGetUniformLocation(program.program, "zscore"), zscore);
    program.bindTexture(image);
    drawScreenQuad(quad);
}
