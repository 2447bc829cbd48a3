// The size of image the texture loader can take, judged from the file's header alone so that
// a huge image is refused before it is decoded. The pixel limit keeps one texture within
// reason (64 megapixels, 256 MiB as RGBA); the driver refuses sides over GL_MAX_TEXTURE_SIZE,
// and the texture then stays without an image.
#pragma once

#include <optional>
#include <string>

constexpr long long kImagePixelLimit = 8192LL * 8192LL;

struct ImageHeader {
    int width = 0;
    int height = 0;
    int channels = 0;
};

// The header as stb_image reads it; nothing, with the decoder's reason in `failure`, when it
// cannot.
std::optional<ImageHeader> readImageHeader(const std::string& path, std::string& failure);

// Why the loader cannot take an image of that size, or "".
std::string imageSizeProblem(const ImageHeader& header, int maxTextureSize);
