// The thin GL layer on WebGL 2, for the page's build of the show.
#include "resources/GlDialect.h"

#include <GL/glew.h>

#include <unordered_map>
#include <utility>

#include "rules/ShaderAdaptation.h"
#include "rules/TextureImage.h"

namespace {

// WebGL 2 cannot be asked for a texture's size (OpenGL ES 3.0 has no glGetTexLevelParameter),
// so the sizes are kept as the images are uploaded.
std::unordered_map<uint32_t, std::pair<int, int>>& uploadedSizes()
{
    static std::unordered_map<uint32_t, std::pair<int, int>> sizes;
    return sizes;
}

}  // namespace

ShaderSourceForContext shaderSourceForContext(std::string source)
{
    AdaptedShader adapted = adaptShaderForWebGl(source);
    if (!adapted.refusal.empty())
        return {std::move(source), "cannot run in WebGL 2: " + adapted.refusal};
    return {std::move(adapted.text), ""};
}

std::string uploadTextureImage(uint32_t texture, int width, int height, int channels, const unsigned char* pixels)
{
    // The loader holds images to the 16384 pixels every desktop context takes; a browser may
    // take fewer, and a texture it refused would sample as opaque black over everything below.
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    if (std::string problem = imageSizeProblem(width, height, side); !problem.empty())
        return problem;
    // OpenGL ES takes no conversion on upload: an unsized internal format must be the pixels'
    // own. An RGB texture samples with alpha 1, as the desktop's RGBA one filled from RGB does.
    GLenum format = channels == 3 ? GL_RGB : GL_RGBA;
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    uploadedSizes()[texture] = {width, height};
    return "";
}

void readTextureSize(uint32_t texture, int& width, int& height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    auto found = uploadedSizes().find(texture);
    width = found == uploadedSizes().end() ? 0 : found->second.first;
    height = found == uploadedSizes().end() ? 0 : found->second.second;
}

void enableProgramPointSize()
{
}
