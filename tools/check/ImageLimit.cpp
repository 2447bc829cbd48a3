// Judging an image's size from its header.
#include "tools/check/ImageLimit.h"

#include <stb_image.h>

#include <cstdio>

std::optional<ImageHeader> readImageHeader(const std::string& path, std::string& failure)
{
    ImageHeader header;
    if (stbi_info(path.c_str(), &header.width, &header.height, &header.channels) == 0) {
        failure = stbi_failure_reason();
        return std::nullopt;
    }
    return header;
}

std::string imageSizeProblem(const ImageHeader& header, int maxTextureSize)
{
    char text[200];
    long long pixels = (long long)header.width * header.height;
    if (pixels > kImagePixelLimit) {
        std::snprintf(text, sizeof text, "%d×%d is %.1f megapixels, over the loader's limit of %lld",
                      header.width, header.height, double(pixels) / (1 << 20), kImagePixelLimit / (1 << 20));
        return text;
    }
    if (header.width > maxTextureSize || header.height > maxTextureSize) {
        std::snprintf(text, sizeof text, "%d×%d has a side over the driver's largest texture, %d", header.width,
                      header.height, maxTextureSize);
        return text;
    }
    return "";
}
