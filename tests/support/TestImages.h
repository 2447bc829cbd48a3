// Image files made at test time: 8-bit PNGs of 1 to 4 channels and 16-bit PNGs, which
// stb_image_write cannot make.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Writes a PNG with `channels` (1 grey, 2 grey+alpha, 3 RGB, 4 RGBA) 8-bit samples per pixel.
void writeTestPng(const std::filesystem::path& path, int width, int height, int channels,
                  const std::vector<uint8_t>& samples);

// Writes a PNG with 16-bit samples (stored big-endian, as PNG does), uncompressed.
void writeTestPng16(const std::filesystem::path& path, int width, int height, int channels,
                    const std::vector<uint16_t>& samples);
