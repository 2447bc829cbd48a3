// Texture loading. Rows arrive top row first and are uploaded unflipped: the screen quad's
// texture coordinates put row 0 at the top of the screen.
#include "resources/Texture.h"

#include <GL/glew.h>
#include <stb_image.h>

#include <cstdio>
#include <vector>

namespace {

// Grey and grey-with-alpha images are widened on the CPU: a one-channel upload into RGBA
// would land in red alone, and a core context refuses GL_LUMINANCE_ALPHA outright.
std::vector<unsigned char> widenGrey(const unsigned char* pixels, int width, int height, int channels)
{
    size_t count = size_t(width) * size_t(height);
    std::vector<unsigned char> rgba(count * 4);
    for (size_t i = 0; i < count; ++i) {
        unsigned char grey = pixels[i * channels];
        rgba[i * 4] = rgba[i * 4 + 1] = rgba[i * 4 + 2] = grey;
        rgba[i * 4 + 3] = channels == 2 ? pixels[i * 2 + 1] : 255;
    }
    return rgba;
}

}  // namespace

TextureName loadTexture(const char* path)
{
    TextureName name = 0;
    glGenTextures(1, &name);

    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(path, &width, &height, &channels, 0);
    if (pixels == nullptr) {
        std::fprintf(stderr, "sovane05: %s: cannot load the image: %s\n", path, stbi_failure_reason());
        return name;
    }

    std::vector<unsigned char> widened;
    const unsigned char* upload = pixels;
    GLenum format = channels == 3 ? GL_RGB : GL_RGBA;
    if (channels <= 2) {
        widened = widenGrey(pixels, width, height, channels);
        upload = widened.data();
    }

    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    // stb_image packs rows tightly; GL's default 4-byte row alignment would shear every RGB
    // image whose row is not a multiple of 4 bytes and read past the end of the block. The
    // default is put back after, as nothing else in the show changes it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, GL_UNSIGNED_BYTE, upload);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    stbi_image_free(pixels);
    return name;
}
