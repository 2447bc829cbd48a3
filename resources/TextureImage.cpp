// Checking, decoding and widening texture images.
#include "resources/TextureImage.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// Grey and grey-with-alpha images are widened here: a one-channel upload into RGBA would land
// in red alone, and a core context refuses GL_LUMINANCE_ALPHA outright.
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

// The size a PNG's header claims. stb_image's own header reading refuses a PNG of more than
// 1 GiB of pixels with no more than "unknown image type"; this names the claim instead.
std::optional<std::pair<int64_t, int64_t>> pngClaimedSize(std::span<const unsigned char> encoded)
{
    static const unsigned char kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (encoded.size() < 24 || !std::equal(kStart, kStart + 16, encoded.begin()))
        return std::nullopt;
    auto bigEndian = [&](size_t at) {
        return int64_t(encoded[at]) << 24 | int64_t(encoded[at + 1]) << 16 | int64_t(encoded[at + 2]) << 8 |
               int64_t(encoded[at + 3]);
    };
    return std::pair{bigEndian(16), bigEndian(20)};
}

std::string cannotLoad(const char* reason)
{
    return std::string("cannot load the image: ") + (reason != nullptr ? reason : "unknown reason");
}

}  // namespace

std::optional<ImageHeader> readImageHeader(std::span<const unsigned char> encoded)
{
    if (encoded.size() > size_t(INT_MAX))
        return std::nullopt;
    ImageHeader header;
    if (stbi_info_from_memory(encoded.data(), int(encoded.size()), &header.width, &header.height, &header.channels) == 0)
        return std::nullopt;
    return header;
}

std::string imageSizeProblem(int64_t width, int64_t height, int maximumSide)
{
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (width <= 0 || height <= 0)
        return "the image claims " + size + " pixels";
    if (width * height > kMaximumImagePixels) {
        return "the image claims " + size + " pixels, over the limit of " + std::to_string(kMaximumImagePixels) +
               " (64 megapixels)";
    }
    if (std::max(width, height) > maximumSide) {
        return "the image claims " + size + " pixels, wider or taller than the " + std::to_string(maximumSide) +
               " a texture may be here";
    }
    return "";
}

const unsigned char* TextureImage::pixels() const
{
    return widened.empty() ? decoded.get() : widened.data();
}

TextureImage decodeTextureImage(std::span<const unsigned char> encoded, int maximumSide)
{
    TextureImage image;
    if (encoded.size() > size_t(INT_MAX)) {
        image.problem = cannotLoad("the file is larger than the decoder reads");
        return image;
    }
    std::optional<ImageHeader> header = readImageHeader(encoded);
    if (!header) {
        image.problem = cannotLoad(stbi_failure_reason());
        if (std::optional<std::pair<int64_t, int64_t>> claimed = pngClaimedSize(encoded)) {
            if (std::string problem = imageSizeProblem(claimed->first, claimed->second, maximumSide); !problem.empty())
                image.problem = problem;
        }
        return image;
    }
    image.problem = imageSizeProblem(header->width, header->height, maximumSide);
    if (!image.problem.empty())
        return image;

    int width = 0;
    int height = 0;
    int channels = 0;
    image.decoded = {stbi_load_from_memory(encoded.data(), int(encoded.size()), &width, &height, &channels, 0),
                     stbi_image_free};
    if (image.decoded == nullptr) {
        image.problem = cannotLoad(stbi_failure_reason());
        return image;
    }
    // The header was read by other code than the decode; a decode that disagrees is refused too.
    image.problem = imageSizeProblem(width, height, maximumSide);
    if (!image.problem.empty() || channels < 1 || channels > 4) {
        if (image.problem.empty())
            image.problem = cannotLoad("unexpected channel count");
        image.decoded.reset();
        return image;
    }
    image.width = width;
    image.height = height;
    image.fileChannels = channels;
    image.channels = channels <= 2 ? 4 : channels;
    if (channels <= 2) {
        image.widened = widenGrey(image.decoded.get(), width, height, channels);
        image.decoded.reset();
    }
    return image;
}
