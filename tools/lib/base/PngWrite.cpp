// The one translation unit that compiles stb_image_write, without its own file writing: it
// ignored the results of fwrite and fclose and reported a file on a full disk as written.
#include "tools/lib/base/PngWrite.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <optional>

#include "platform/system/OutputFile.h"

namespace {

void append(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(context);
    const auto* from = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), from, from + size);
}

}  // namespace

std::vector<unsigned char> encodePng(int width, int height, int channels, const uint8_t* pixels)
{
    std::vector<unsigned char> bytes;
    if (stbi_write_png_to_func(append, &bytes, width, height, channels, pixels, width * channels) == 0)
        bytes.clear();
    return bytes;
}

std::string writePng(const std::filesystem::path& path, int width, int height, int channels, const uint8_t* pixels)
{
    std::vector<unsigned char> bytes = encodePng(width, height, channels, pixels);
    if (bytes.empty())
        return "cannot encode the image";
    std::optional<std::string> failure = writeFileAtomically(path, bytes);
    return failure.value_or("");
}
