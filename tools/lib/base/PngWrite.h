// Writing 8-bit PNG files, for the authoring tools and for the images tests leave behind. A file
// is encoded in memory and then written in one step (platform/system/OutputFile.h): complete
// and synced under its name, or not there at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// `width` × `height` pixels of `channels` bytes each, rows top to bottom, tightly packed, as the
// bytes of a PNG file; empty when the encoder fails.
std::vector<unsigned char> encodePng(int width, int height, int channels, const uint8_t* pixels);

// Writes the PNG file of those pixels at `path`. Returns "" when it is in place, else what went
// wrong in words, with the system's reason: "cannot write: No space left on device".
std::string writePng(const std::filesystem::path& path, int width, int height, int channels, const uint8_t* pixels);
