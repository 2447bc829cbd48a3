// The lyrics tool: reads a lyric file (the show's own or an LRC file from elsewhere) and writes
// the show's timing file and one image per slot (data/texttiming.txt, data/lyrics/000.png …
// 086.png), after checking that every entry can be seen and that nothing shown together
// overlaps. Every problem of the file is reported in the one run.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/base/CommandLine.h"
#include "tools/lib/lyrics/LyricBuild.h"

namespace {

constexpr const char* kUsage =
    "usage: sovane05-lyrics [--input FILE] [--output FOLDER] [--font FONT]... [--strict] [--check]\n"
    "\n"
    "Reads the lyric file (default authoring/lyrics.txt; LRC files work too) and writes\n"
    "FOLDER/texttiming.txt and FOLDER/lyrics/000.png … 086.png (default FOLDER: data). The\n"
    "first entry of the file is the first timing line and image 086. Entries that start after\n"
    "the lyric scene (45 s) are left out, slots the file does not fill stay blank, and lines\n"
    "whose word stamps crowd the screen are grouped into fewer entries, each with a warning.\n"
    "\n"
    "  --input FILE     the lyric file\n"
    "  --output FOLDER  where texttiming.txt and lyrics/ go\n"
    "  --font FONT      a font to take characters from; give several, tried in order (default:\n"
    "                   DejaVu Sans Bold, then the installed fonts for other scripts)\n"
    "  --strict         make every warning an error\n"
    "  --check          check the file and the layout, write nothing\n"
    "  --help           this text\n"
    "  --version        the version\n";

constexpr Tool kTool{"sovane05-lyrics", kUsage};

struct Options {
    std::string input = "authoring/lyrics.txt";
    std::string output = "data";
    LyricBuildOptions build;
    bool check = false;
};

}  // namespace

int main(int argc, char** argv)
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (std::optional<int> answered = answerStandardOption(kTool, argument))
            return *answered;
        if (argument == "--check") {
            options.check = true;
        } else if (argument == "--strict") {
            options.build.strict = true;
        } else if (argument == "--input" || argument == "--output" || argument == "--font") {
            if (i + 1 >= argc)
                return usageError(kTool, std::string(argument) + " needs a value");
            std::string value = argv[++i];
            if (argument == "--input")
                options.input = value;
            else if (argument == "--output")
                options.output = value;
            else
                options.build.fonts.push_back(value);
        } else {
            return usageError(kTool, "unknown argument '" + std::string(argument) + "'");
        }
    }

    std::ifstream in(options.input, std::ios::binary);
    if (!in)
        return reportFailure(kTool, options.input + ": cannot read the lyric file");
    std::stringstream content;
    content << in.rdbuf();

    LyricBuild build = buildLyrics(content.str(), options.input, options.build);
    if (!options.build.strict)
        for (const std::string& warning : build.warnings)
            std::fprintf(stderr, "sovane05-lyrics: %s\n", markedWarning(warning, options.input).c_str());
    if (!build.ok()) {
        for (const std::string& error : build.errors)
            std::fprintf(stderr, "sovane05-lyrics: %s\n", error.c_str());
        return 1;
    }
    if (!options.check) {
        if (std::optional<std::string> failure = writeLyrics(build, options.output))
            return reportFailure(kTool, *failure);
    }
    std::fprintf(stderr, "sovane05-lyrics: %s: %s%s\n", options.input.c_str(), summariseLyrics(build).c_str(),
                 options.check ? ": fits the show" : "");
    return 0;
}
