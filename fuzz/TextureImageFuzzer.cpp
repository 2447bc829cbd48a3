// Fuzzes the CPU side of texture loading on any bytes: the header check, the decode and the
// widening. Either there is a problem and no pixels, or an image within the limits whose every
// byte can be read, grey images widened to equal red, green and blue.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz/FuzzTarget.h"
#include "rules/TextureImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextureImage image = decodeTextureImage(std::span<const unsigned char>(data, size), kGuaranteedTextureSide);
    if (image.pixels() == nullptr) {
        if (image.problem.empty() || image.width != 0 || image.height != 0)
            std::abort();
        return 0;
    }
    if (!image.problem.empty() || image.width <= 0 || image.height <= 0 ||
        int64_t(image.width) * image.height > kMaximumImagePixels ||
        std::max(image.width, image.height) > kGuaranteedTextureSide || (image.channels != 3 && image.channels != 4) ||
        image.fileChannels < 1 || image.fileChannels > 4 || (image.fileChannels == 3) != (image.channels == 3))
        std::abort();
    // Reads the whole block, so that a short one shows under AddressSanitizer.
    size_t pixelCount = size_t(image.width) * size_t(image.height);
    const unsigned char* pixels = image.pixels();
    unsigned sum = 0;
    for (size_t i = 0; i < pixelCount * size_t(image.channels); ++i)
        sum += pixels[i];
    if (image.fileChannels <= 2) {
        for (size_t i = 0; i < pixelCount; ++i) {
            const unsigned char* rgba = pixels + i * 4;
            if (rgba[0] != rgba[1] || rgba[1] != rgba[2] || (image.fileChannels == 1 && rgba[3] != 255))
                std::abort();
        }
    }
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
