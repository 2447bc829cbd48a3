// A minimal PNG writer for 16-bit test images: stored (uncompressed) deflate blocks, so it
// needs no compression library.
#include "tests/support/TestImages.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/lib/base/PngWrite.h"

namespace {

uint32_t crc32(const std::vector<uint8_t>& bytes, size_t from)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    putU32(out, uint32_t(data.size()));
    size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putU32(out, crc32(out, typeStart));
}

}  // namespace

void writeTestPng(const std::filesystem::path& path, int width, int height, int channels,
                  const std::vector<uint8_t>& samples)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    if (std::string failure = writePng(path, width, height, channels, samples.data()); !failure.empty())
        throw std::runtime_error(path.string() + ": " + failure);
}

void writeTestPng16(const std::filesystem::path& path, int width, int height, int channels,
                    const std::vector<uint16_t>& samples)
{
    static const uint8_t colourTypes[] = {0, 0, 4, 2, 6};
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < width * channels; ++x) {
            uint16_t sample = samples[size_t(y) * width * channels + x];
            raw.push_back(uint8_t(sample >> 8));
            raw.push_back(uint8_t(sample));
        }
    }

    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        size_t length = std::min<size_t>(65535, raw.size() - at);
        bool last = at + length >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(uint8_t(length));
        zlib.push_back(uint8_t(length >> 8));
        zlib.push_back(uint8_t(~length));
        zlib.push_back(uint8_t(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + long(at), raw.begin() + long(at + length));
        if (last)
            break;
    }
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putU32(zlib, (b << 16) | a);

    std::vector<uint8_t> header;
    putU32(header, uint32_t(width));
    putU32(header, uint32_t(height));
    header.insert(header.end(), {16, colourTypes[channels], 0, 0, 0});

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}
