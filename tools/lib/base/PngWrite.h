// Writing 8-bit PNG files, for the authoring tools and for the images tests leave behind.
#pragma once

#include <cstdint>
#include <string>

// Writes `width` × `height` pixels of `channels` bytes each, rows top to bottom, tightly packed.
// Returns false when the file cannot be written.
bool writePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels);
