// The file read whole, then decoded as a texture's image would be.
#include "tools/lib/photo/PictureFile.h"

#include <span>

#include "rules/InputFile.h"
#include "rules/TextureImage.h"

std::optional<Picture> readPicture(const std::string& path, std::string& failure)
{
    InputText file = readInputFile(path.c_str());
    if (!file.read) {
        failure = path + ": cannot read the picture: " + file.failure;
        return std::nullopt;
    }
    std::span<const unsigned char> encoded(reinterpret_cast<const unsigned char*>(file.text.data()), file.text.size());
    // The pictures are sampled on the CPU, so only the show's own limits apply, not a context's.
    TextureImage image = decodeTextureImage(encoded, kGuaranteedTextureSide);
    file.text = std::string();
    if (image.pixels() == nullptr) {
        // "cannot load the image: …" is the loader's wording for the show's own images.
        std::string problem = image.problem;
        if (problem.rfind("cannot load the image: ", 0) == 0)
            problem.erase(0, 23);
        failure = path + ": cannot read the picture: " + problem;
        return std::nullopt;
    }
    Picture picture;
    picture.width = image.width;
    picture.height = image.height;
    const unsigned char* pixels = image.pixels();
    std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    if (image.channels == 4) {
        picture.pixels.assign(pixels, pixels + count * 4);
        return picture;
    }
    picture.pixels.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c)
            picture.pixels[i * 4 + std::size_t(c)] = pixels[i * 3 + std::size_t(c)];
        picture.pixels[i * 4 + 3] = 255;
    }
    return picture;
}
