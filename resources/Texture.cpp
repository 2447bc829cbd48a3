// Texture loading. Rows arrive top row first and are uploaded unflipped: the screen quad's
// texture coordinates put row 0 at the top of the screen.
#include "resources/Texture.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <span>
#include <unordered_set>

#include "resources/GlDialect.h"
#include "rules/InputFile.h"
#include "rules/TextureImage.h"

namespace {

// The names loadTexture gave no image. GL cannot tell them apart when drawing: Mesa stands a
// 1×1 opaque black texel in for a texture without an image, so textureSize reads 1, not 0.
std::unordered_set<TextureName>& namesWithoutImage()
{
    static std::unordered_set<TextureName> names;
    return names;
}

// The widest texture the current context takes. Asked only for an image that needs it, so
// loading an ordinary image makes no extra GL call.
int maximumTextureSide(const std::span<const unsigned char> encoded)
{
    std::optional<ImageHeader> header = readImageHeader(encoded);
    if (!header || std::max(header->width, header->height) <= kGuaranteedTextureSide)
        return kGuaranteedTextureSide;
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return std::max(side, kGuaranteedTextureSide);
}

}  // namespace

TextureName loadTexture(const char* path)
{
    TextureName name = 0;
    glGenTextures(1, &name);

    InputText file = readInputFile(path);
    if (!file.read) {
        std::fprintf(stderr, "sovane05: %s: cannot load the image: %s\n", path, file.failure.c_str());
        namesWithoutImage().insert(name);
        return name;
    }
    std::span<const unsigned char> encoded(reinterpret_cast<const unsigned char*>(file.text.data()), file.text.size());
    TextureImage image = decodeTextureImage(encoded, maximumTextureSide(encoded));
    file.text = std::string();
    if (image.pixels() == nullptr) {
        std::fprintf(stderr, "sovane05: %s: %s\n", path, image.problem.c_str());
        namesWithoutImage().insert(name);
        return name;
    }

    // A name GL handed out again after a test deleted its texture is no longer one without image.
    namesWithoutImage().erase(name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    // stb_image packs rows tightly; GL's default 4-byte row alignment would shear every RGB
    // image whose row is not a multiple of 4 bytes and read past the end of the block. The
    // default is put back after, as nothing else in the show changes it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::string refused = uploadTextureImage(name, image.width, image.height, image.channels, image.pixels());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (!refused.empty()) {
        std::fprintf(stderr, "sovane05: %s: %s\n", path, refused.c_str());
        namesWithoutImage().insert(name);
    }
    return name;
}

bool hasImage(TextureName texture)
{
    return !namesWithoutImage().contains(texture);
}

void setHasImage(TextureName texture, bool has)
{
    if (has)
        namesWithoutImage().erase(texture);
    else
        namesWithoutImage().insert(texture);
}
