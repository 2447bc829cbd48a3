// The thin GL layer on the show's own OpenGL 4.1 core context: the calls as they always were.
#include "resources/GlDialect.h"

#include <GL/glew.h>

#include <utility>

ShaderSourceForContext shaderSourceForContext(std::string source)
{
    return {std::move(source), ""};
}

// The loader has held the image to this context's limits already.
std::string uploadTextureImage(uint32_t, int width, int height, int channels, const unsigned char* pixels)
{
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, channels == 3 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels);
    return "";
}

void readTextureSize(uint32_t texture, int& width, int& height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
}

void enableProgramPointSize()
{
    glEnable(GL_PROGRAM_POINT_SIZE);
}
