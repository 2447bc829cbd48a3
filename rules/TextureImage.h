// The CPU side of loading a texture, without GL: the image's header checked against the size
// limits before anything is decoded, the decode, and grey and grey-with-alpha widened to RGBA,
// up to the pixels that would be uploaded. An image file's header is trusted by the decoder:
// a file of a few dozen bytes that claims enormous dimensions would make it allocate, and
// often fill, gigabytes before it found the pixels missing.
//
//   TextureImage image = decodeTextureImage(bytes, kGuaranteedTextureSide);
//   if (!image.problem.empty()) report(path, image.problem);
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// No image above this many pixels is decoded: 64 megapixels, 8192 × 8192.
constexpr int64_t kMaximumImagePixels = int64_t(64) << 20;
// The widest and tallest texture every OpenGL 4.1 context takes (its least GL_MAX_TEXTURE_SIZE);
// only an image with a longer side needs to ask the context.
constexpr int kGuaranteedTextureSide = 16384;

struct ImageHeader {
    int width = 0;
    int height = 0;
    int channels = 0;  // as the header tells; a palette image may decode to more
};

// What stb_image reads from the header alone, in any format it decodes; nothing when it
// recognises no image, or when reading the header would already overrun the decoder.
std::optional<ImageHeader> readImageHeader(std::span<const unsigned char> encoded);

// Why an image of `width` × `height` is refused, naming its size and the limit it breaks, or ""
// when it is within kMaximumImagePixels and no side is longer than `maximumSide`.
std::string imageSizeProblem(int64_t width, int64_t height, int maximumSide);

struct TextureImage {
    int width = 0;
    int height = 0;
    // 3 for RGB, 4 for RGBA; grey (1) and grey with alpha (2) arrive widened to 4.
    int channels = 0;
    int fileChannels = 0;  // as decoded, 1 to 4
    // Why there is no image ("cannot load the image: …", or the size refused); "" when there is.
    std::string problem;

    // width × height × channels bytes, top row first, rows tightly packed; null without an image.
    const unsigned char* pixels() const;

    std::unique_ptr<unsigned char, void (*)(void*)> decoded{nullptr, nullptr};
    std::vector<unsigned char> widened;
};

// Checks the header, decodes and widens the encoded file `encoded`; no side may exceed
// `maximumSide`.
TextureImage decodeTextureImage(std::span<const unsigned char> encoded, int maximumSide);
