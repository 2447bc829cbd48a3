// The image check.
#include "tools/check/ImageCheck.h"

#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "tools/check/ImageLimit.h"
#include "tools/lyrics/LayoutHeader.h"

namespace {

const char* const kDrawsNothing = ": the texture gets no image and draws nothing";

// The decoded pixels widened to RGBA as the loader uploads them.
Canvas widened(const unsigned char* pixels, int width, int height, int channels)
{
    Canvas image(width, height);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        const unsigned char* p = pixels + i * size_t(channels);
        uint8_t* out = &image.rgba[i * 4];
        bool grey = channels <= 2;
        out[0] = p[0];
        out[1] = grey ? p[0] : p[1];
        out[2] = grey ? p[0] : p[2];
        out[3] = channels == 2 ? p[1] : channels == 4 ? p[3] : 255;
    }
    return image;
}

const char* channelWords(int channels)
{
    static const char* const kWords[] = {"", "grey", "grey and alpha", "RGB", "RGBA"};
    return channels >= 1 && channels <= 4 ? kWords[channels] : "";
}

}  // namespace

CheckedImage checkImage(const std::string& path, int maxTextureSize, bool verbose, std::vector<Finding>& findings)
{
    CheckedImage checked;
    std::string failure;
    std::optional<ImageHeader> header = readImageHeader(path, failure);
    if (!header) {
        findings.push_back({path, 0, Severity::Error, "cannot decode it (" + failure + ")" + kDrawsNothing});
        return checked;
    }
    if (std::string problem = imageSizeProblem(*header, maxTextureSize); !problem.empty()) {
        findings.push_back({path, 0, Severity::Error, problem + kDrawsNothing});
        return checked;
    }
    std::unique_ptr<unsigned char, decltype(&stbi_image_free)> pixels(
        stbi_load(path.c_str(), &checked.width, &checked.height, &checked.channels, 0), stbi_image_free);
    if (!pixels) {
        findings.push_back({path, 0, Severity::Error, std::string("cannot decode it (") + stbi_failure_reason() + ")" + kDrawsNothing});
        return checked;
    }
    checked.decoded = true;
    if (verbose) {
        char text[160];
        std::snprintf(text, sizeof text, "%d×%d, %d channel%s (%s), %.2f MiB as a texture", checked.width,
                      checked.height, checked.channels, checked.channels == 1 ? "" : "s", channelWords(checked.channels),
                      double(checked.textureBytes()) / (1 << 20));
        findings.push_back({path, 0, Severity::Note, text});
    }

    Canvas image = widened(pixels.get(), checked.width, checked.height, checked.channels);
    pixels.reset();
    int firstRow = readLayoutHeader(image.rgba.data(), image.width, image.height) ? 1 : 0;
    int rows = image.height - firstRow;
    checked.fullyTransparent = true;
    for (size_t i = size_t(firstRow) * size_t(image.width) * 4 + 3; i < image.rgba.size(); i += 4)
        checked.fullyTransparent = checked.fullyTransparent && image.rgba[i] == 0;
    if (rows <= 0)
        return checked;

    Canvas drawn(image.width, rows);
    std::copy(image.rgba.begin() + std::ptrdiff_t(firstRow) * image.width * 4, image.rgba.end(), drawn.rgba.begin());
    int thumbnailRows = std::min(rows, kThumbnailRows);
    int thumbnailColumns = std::max(1, int(std::lround(double(drawn.width) * thumbnailRows / rows)));
    checked.thumbnail = scaled(drawn, thumbnailColumns, thumbnailRows);
    return checked;
}
