// The photo tool: writes the photo scene's picture as an 8-bit RGBA PNG (data/photo.png by
// default): the stock composition made by arithmetic alone, or the user's own pictures laid out
// the same way.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/StopSignal.h"
#include "rules/LayoutHeader.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/base/Progress.h"
#include "tools/lib/photo/PhotoComposition.h"
#include "tools/lib/photo/PictureFile.h"
#include "tools/lib/photo/PlacedPhoto.h"

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-photo [--input PICTURE [--input PICTURE]] [--output FILE] [--size WIDTHxHEIGHT]\n"
    "\n"
    "Writes the photo scene's picture: tilted prints with their shadows on transparency, drawn\n"
    "stretched over the show's animated background. Without --input, two prints of a summer\n"
    "landscape; with it, your picture as one print, or two pictures as two, each keeping its\n"
    "aspect ratio. The file holds only the part of the frame that shows anything, below a\n"
    "header row that places it, so the show draws no more than that. The same pixels on\n"
    "every run.\n"
    "\n";

constexpr const char* kDefaultOutput = "data/photo.png";

struct Options {
    std::vector<std::string> inputs;
    std::string output = kDefaultOutput;
    int width = 1920;
    int height = 1080;
};

std::vector<Option> optionTable(Options& options)
{
    return {
        {"--input", "", "PICTURE", "a picture (PNG, JPEG, BMP, GIF, TGA, HDR, PIC, PNM; at most 64 megapixels);\nonce or twice",
         appendValue(options.inputs, 2, "--input takes one or two pictures")},
        {"--output", "", "FILE", "the PNG to write (default data/photo.png)", storeValue(options.output)},
        {"--size", "", "WIDTHxHEIGHT", "its size (default 1920x1080)", storeSize(options.width, options.height, 2, 8192)},
    };
}

const Tool kTool = describeTool("sovane05-photo", kSynopsis, optionTable);

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;
    const std::string& output = options.output;
    if (output == kDefaultOutput)
        if (std::string expected = showFolderExpected(output, "--output FILE"); !expected.empty())
            return reportFailure(kTool, expected);

    std::vector<Picture> pictures;
    for (const std::string& input : options.inputs) {
        std::string failure;
        std::optional<Picture> picture = readPicture(input, failure);
        if (!picture)
            return reportFailure(kTool, failure);
        pictures.push_back(std::move(*picture));
    }
    PhotoImage photo = placedPhoto(pictures.empty() ? composePhoto(options.width, options.height)
                                                    : composePhoto(options.width, options.height, pictures));
    // A composition too narrow for the header is written whole, and the show would take one
    // that began with the lyric marker for a lyric line.
    std::optional<TextPlacement> place = readLayoutHeader(photo.pixels.data(), photo.width, photo.height);
    if (place && !place->stretched) {
        std::fprintf(stderr, "sovane05-photo: %s: the first texel reads as a lyric image's marker\n", output.c_str());
        return 1;
    }
    // Until now a signal ends the tool at once, as nothing is written; the write itself is not
    // cut short, so the partial file is never left behind.
    catchStopSignals();
    if (std::string failure = writePng(output, photo.width, photo.height, 4, photo.pixels.data()); !failure.empty())
        return reportFailure(kTool, output + ": " + failure);
    std::fprintf(stderr, "sovane05-photo: wrote %s (%s)\n", output.c_str(), sizeInWords(bytesWritten(output)).c_str());
    return 0;
}
