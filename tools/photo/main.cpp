// The photo tool: writes the photo scene's picture, an original composition made by
// arithmetic alone, as an 8-bit RGBA PNG (data/photo.png by default).
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/common/PngWrite.h"
#include "tools/lyrics/LayoutHeader.h"
#include "tools/photo/PhotoComposition.h"

namespace {

constexpr const char* kUsage =
    "usage: sovane05-photo [--output FILE] [--size WIDTHxHEIGHT]\n"
    "\n"
    "Writes the photo scene's picture: two prints of a summer landscape on transparency, drawn\n"
    "stretched over the show's animated background. The same pixels on every run.\n"
    "\n"
    "  --output FILE           the PNG to write (default data/photo.png)\n"
    "  --size WIDTHxHEIGHT     its size (default 1920x1080)\n"
    "  --help                  this text\n";

int usageError(const std::string& what)
{
    std::fprintf(stderr, "sovane05-photo: %s\n%s", what.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::string output = "data/photo.png";
    int width = 1920;
    int height = 1080;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argument == "--output" && i + 1 < argc) {
            output = argv[++i];
        } else if (argument == "--size" && i + 1 < argc) {
            char tail = 0;
            if (std::sscanf(argv[++i], "%dx%d%c", &width, &height, &tail) != 2 || width < 2 || height < 2 ||
                width > 8192 || height > 8192)
                return usageError("--size needs WIDTHxHEIGHT between 2 and 8192, not '" + std::string(argv[i]) + "'");
        } else if (argument == "--output" || argument == "--size") {
            return usageError(std::string(argument) + " needs a value");
        } else {
            return usageError("unknown argument '" + std::string(argument) + "'");
        }
    }

    PhotoImage photo = composePhoto(width, height);
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
