// The photo tool: writes the photo scene's picture as an 8-bit RGBA PNG (data/photo.png by
// default): the stock composition made by arithmetic alone, or the user's own pictures laid out
// the same way.
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/PngWrite.h"
#include "rules/LayoutHeader.h"
#include "tools/lib/photo/PhotoComposition.h"
#include "tools/lib/photo/PictureFile.h"

namespace {

constexpr const char* kUsage =
    "usage: sovane05-photo [--input PICTURE [--input PICTURE]] [--output FILE] [--size WIDTHxHEIGHT]\n"
    "\n"
    "Writes the photo scene's picture: tilted prints with their shadows on transparency, drawn\n"
    "stretched over the show's animated background. Without --input, two prints of a summer\n"
    "landscape; with it, your picture as one print, or two pictures as two, each keeping its\n"
    "aspect ratio. The same pixels on every run.\n"
    "\n"
    "  --input PICTURE         a picture (PNG, JPEG, BMP, GIF, TGA, PSD, HDR, PIC, PNM); once or twice\n"
    "  --output FILE           the PNG to write (default data/photo.png)\n"
    "  --size WIDTHxHEIGHT     its size (default 1920x1080)\n"
    "  --help                  this text\n"
    "  --version               the version\n";

constexpr Tool kTool{"sovane05-photo", kUsage};

int usageError(const std::string& what)
{
    return usageError(kTool, what);
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::string output = "data/photo.png";
    std::vector<std::string> inputs;
    int width = 1920;
    int height = 1080;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (std::optional<int> answered = answerStandardOption(kTool, argument))
            return *answered;
        if (argument == "--input" && i + 1 < argc) {
            if (inputs.size() == 2)
                return usageError("--input takes one or two pictures");
            inputs.push_back(argv[++i]);
        } else if (argument == "--output" && i + 1 < argc) {
            output = argv[++i];
        } else if (argument == "--size" && i + 1 < argc) {
            char tail = 0;
            if (std::sscanf(argv[++i], "%dx%d%c", &width, &height, &tail) != 2 || width < 2 || height < 2 ||
                width > 8192 || height > 8192)
                return usageError("--size needs WIDTHxHEIGHT between 2 and 8192, not '" + std::string(argv[i]) + "'");
        } else if (argument == "--input" || argument == "--output" || argument == "--size") {
            return usageError(std::string(argument) + " needs a value");
        } else {
            return usageError("unknown argument '" + std::string(argument) + "'");
        }
    }

    std::vector<Picture> pictures;
    for (const std::string& input : inputs) {
        std::string failure;
        std::optional<Picture> picture = readPicture(input, failure);
        if (!picture)
            return reportFailure(kTool, failure);
        pictures.push_back(std::move(*picture));
    }
    PhotoImage photo = pictures.empty() ? composePhoto(width, height) : composePhoto(width, height, pictures);
    // The show would take a picture that began with the lyric marker for a lyric line.
    if (readLayoutHeader(photo.pixels.data(), photo.width, photo.height)) {
        std::fprintf(stderr, "sovane05-photo: %s: the first texel reads as a lyric image's marker\n", output.c_str());
        return 1;
    }
    if (!writePng(output, photo.width, photo.height, 4, photo.pixels.data())) {
        std::fprintf(stderr, "sovane05-photo: %s: cannot write the image\n", output.c_str());
        return 1;
    }
    return 0;
}
