// The image check.
#include "tools/check/ImageCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>

#include "rules/InputFile.h"
#include "rules/LayoutHeader.h"
#include "rules/TextureImage.h"

namespace {

const char* const kDrawsNothing = ": the texture gets no image and draws nothing";

// The loader's pixels (RGB or RGBA) as the RGBA a texture holds.
Canvas widened(const unsigned char* pixels, int width, int height, int channels)
{
    Canvas image(width, height);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        const unsigned char* p = pixels + i * size_t(channels);
        uint8_t* out = &image.rgba[i * 4];
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        out[3] = channels == 4 ? p[3] : 255;
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
    // Read and decoded by the texture loader's own CPU side, so the checker refuses exactly what
    // the show refuses, with the same words.
    CheckedImage checked;
    InputText file = readInputFile(path.c_str());
    if (!file.read) {
        findings.push_back({path, 0, Severity::Error, "cannot load the image: " + file.failure + kDrawsNothing});
        return checked;
    }
    std::span<const unsigned char> encoded(reinterpret_cast<const unsigned char*>(file.text.data()), file.text.size());
    TextureImage decoded = decodeTextureImage(encoded, maxTextureSize);
    file.text = std::string();
    if (decoded.pixels() == nullptr) {
        findings.push_back({path, 0, Severity::Error, decoded.problem + kDrawsNothing});
        return checked;
    }
    checked.width = decoded.width;
    checked.height = decoded.height;
    checked.channels = decoded.fileChannels;
    checked.decoded = true;
    if (verbose) {
        char text[160];
        std::snprintf(text, sizeof text, "%d×%d, %d channel%s (%s), %.2f MiB as a texture", checked.width,
                      checked.height, checked.channels, checked.channels == 1 ? "" : "s", channelWords(checked.channels),
                      double(checked.textureBytes()) / (1 << 20));
        findings.push_back({path, 0, Severity::Note, text});
    }

    Canvas image = widened(decoded.pixels(), decoded.width, decoded.height, decoded.channels);
    decoded = TextureImage();
    std::optional<TextPlacement> place = readLayoutHeader(image.rgba.data(), image.width, image.height);
    int firstRow = place ? 1 : 0;
    int rows = image.height - firstRow;
    if (place && (place->left + image.width > place->frameWidth || place->top + rows > place->frameHeight)) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "its header places its %d×%d picture at (%d, %d), past the edge of its %d×%d frame: the part "
                      "beyond is cut off",
                      image.width, rows, place->left, place->top, place->frameWidth, place->frameHeight);
        findings.push_back({path, 0, Severity::Warning, text});
    }
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
