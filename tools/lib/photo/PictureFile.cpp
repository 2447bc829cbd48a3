// Decoding with the show's own copy of stb_image.
#include "tools/lib/photo/PictureFile.h"

#include <stb_image.h>

std::optional<Picture> readPicture(const std::string& path, std::string& failure)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        failure = path + ": cannot read the picture: " + stbi_failure_reason();
        return std::nullopt;
    }
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(pixels, pixels + std::size_t(width) * height * 4);
    stbi_image_free(pixels);
    return picture;
}
