// Checking an image the way the texture loader reads it (stb_image, the file's own channel
// count): whether it decodes, whether its size fits, whether a header row places it within its
// frame, and what of it the show draws, kept as a small thumbnail for the timeline picture. No GL.
#pragma once

#include <string>
#include <vector>

#include "tools/check/Canvas.h"
#include "tools/lib/base/Finding.h"

struct CheckedImage {
    bool decoded = false;
    int width = 0;
    int height = 0;
    int channels = 0;
    // No texel the show draws has any alpha. A lyric image's header row is never drawn and
    // does not count.
    bool fullyTransparent = false;
    Canvas thumbnail;  // the drawn part, at most kThumbnailRows high

    long long textureBytes() const { return decoded ? (long long)width * height * 4 : 0; }
};

constexpr int kThumbnailRows = 40;

// Reports on `path` what keeps it from drawing; with `verbose` also its size and channels.
CheckedImage checkImage(const std::string& path, int maxTextureSize, bool verbose, std::vector<Finding>& findings);
