// Checking, decoding and widening texture images.
#include "rules/TextureImage.h"

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

// Whether every Huffman table of a JPEG has at most the 256 codes the format allows. The
// decoder adds up a table's 16 code counts without a bound and writes that many entries into
// its tables of 257 and 256, over what follows them. It finds a table after the bytes FF C4
// wherever they stand (fill bytes and scans included), so every such place is checked,
// as the decoder would read it: a two-byte length, then tables of a class byte, 16 counts and
// their codes.
bool jpegHuffmanTablesFit(std::span<const unsigned char> encoded)
{
    // Only a JPEG (fill bytes, then the start-of-image marker) gets as far as its tables; other
    // formats' compressed bytes hold FF C4 by chance.
    size_t start = 0;
    while (start < encoded.size() && encoded[start] == 0xFF)
        ++start;
    if (start == 0 || start == encoded.size() || encoded[start] != 0xD8)
        return true;
    auto byteAt = [&](size_t at) { return at < encoded.size() ? int(encoded[at]) : 0; };
    for (size_t marker = 0; marker + 1 < encoded.size(); ++marker) {
        if (encoded[marker] != 0xFF || encoded[marker + 1] != 0xC4)
            continue;
        size_t at = marker + 2;
        int remaining = (byteAt(at) << 8 | byteAt(at + 1)) - 2;
        at += 2;
        while (remaining > 0 && at < encoded.size()) {
            int codes = 0;
            for (int i = 0; i < 16; ++i)
                codes += byteAt(at + 1 + size_t(i));
            if (codes > 256)
                return false;
            at += 17 + size_t(codes);
            remaining -= 17 + codes;
        }
    }
    return true;
}

// Whether the three numbers of a binary PNM header (P5 or P6) fit an int. The decoder reads
// them digit by digit into an int without a bound; this reads them exactly as it does.
bool pnmNumbersFit(std::span<const unsigned char> encoded)
{
    if (encoded.size() < 2 || encoded[0] != 'P' || (encoded[1] != '5' && encoded[1] != '6'))
        return true;
    size_t next = 2;
    auto atEnd = [&] { return next >= encoded.size(); };
    auto read = [&] { return atEnd() ? '\0' : char(encoded[next++]); };
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    char c = read();
    for (int number = 0; number < 3; ++number) {
        for (;;) {
            while (!atEnd() && isSpace(c))
                c = read();
            if (atEnd() || c != '#')
                break;
            while (!atEnd() && c != '\n' && c != '\r')
                c = read();
        }
        int value = 0;
        while (!atEnd() && c >= '0' && c <= '9') {
            if (value > (INT_MAX - (c - '0')) / 10)
                return false;
            value = value * 10 + (c - '0');
            c = read();
        }
    }
    return true;
}

std::string cannotLoad(const char* reason)
{
    return std::string("cannot load the image: ") + (reason != nullptr ? reason : "unknown reason");
}

}  // namespace

std::optional<ImageHeader> readImageHeader(std::span<const unsigned char> encoded)
{
    // Reading a JPEG's header builds the Huffman tables that come before it, and a PNM's reads
    // its numbers.
    if (encoded.size() > size_t(INT_MAX) || !jpegHuffmanTablesFit(encoded) || !pnmNumbersFit(encoded))
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
    // Divided rather than multiplied: a PNG's header claims up to 2^32 - 1 each way.
    if (width > kMaximumImagePixels / height) {
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
    if (!jpegHuffmanTablesFit(encoded)) {
        image.problem = cannotLoad("a JPEG Huffman table holds more than 256 codes");
        return image;
    }
    if (!pnmNumbersFit(encoded)) {
        image.problem = cannotLoad("a number in the PNM header is too large");
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
