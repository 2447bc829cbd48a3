// The one translation unit that compiles stb_image_write.
#include "tools/lib/base/PngWrite.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_UNUSED
#include <stb_image_write.h>

bool writePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels)
{
    return stbi_write_png(path.c_str(), width, height, channels, pixels, width * channels) != 0;
}
