// Turning the frames GL reads back (RGBA, bottom row first) into the planar YUV 4:2:0 that the
// encoder takes (BT.601, limited range, as ffmpeg converts RGB by default), so the pipe to
// ffmpeg carries 1.5 bytes a pixel instead of 4 and ffmpeg converts nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Bytes of one frame: the luma plane, then the two chroma planes of a quarter of its size each.
constexpr size_t yuv420Bytes(int width, int height)
{
    return size_t(width) * size_t(height) * 3 / 2;
}

// Converts an even-sided frame: each pixel's luma, and each 2×2 block's chroma from its mean
// colour; the planes run top row first. `yuv` holds yuv420Bytes(width, height).
void rgbaToYuv420(std::span<const uint8_t> rgbaBottomFirst, int width, int height, std::span<uint8_t> yuv);
