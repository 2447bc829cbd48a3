// The lyrics tool: reads a lyric file (the show's own or an LRC file from elsewhere) and writes
// the show's timing file and one image per slot (data/texttiming.txt, data/lyrics/000.png …
// 086.png), after checking that every entry can be seen and that nothing shown together
// overlaps. Every problem of the file is reported in the one run.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/StopSignal.h"
#include "rules/InputFile.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/lyrics/LyricBuild.h"

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-lyrics [--input FILE] [--output FOLDER] [--font FONT]... [--strict] [--check]\n"
    "\n"
    "Reads the lyric file (default authoring/lyrics.txt; LRC files work too) and writes\n"
    "FOLDER/texttiming.txt and FOLDER/lyrics/000.png … 086.png (default FOLDER: data). The\n"
    "first entry of the file is the first timing line and image 086. Entries that start after\n"
    "the lyric scene (45 s) are left out, slots the file does not fill stay blank, and lines\n"
    "whose word stamps crowd the screen are grouped into fewer entries, each with a warning.\n"
    "\n";

constexpr const char* kDefaultInput = "authoring/lyrics.txt";

struct Options {
    std::string input = kDefaultInput;
    std::string output = kShowDataFolder;
    LyricBuildOptions build;
    bool check = false;
};

std::vector<Option> optionTable(Options& options)
{
    return {
        {"--input", "", "FILE", "the lyric file", storeValue(options.input)},
        {"--output", "", "FOLDER", "where texttiming.txt and lyrics/ go", storeValue(options.output)},
        {"--font", "", "FONT",
         "a font to take characters from; give several, tried in order (default:\nDejaVu Sans Bold, then the "
         "installed fonts for other scripts)",
         appendValue(options.build.fonts)},
        {"--strict", "", "", "make every warning an error", setFlag(options.build.strict)},
        {"--check", "", "", "check the file and the layout, write nothing", setFlag(options.check)},
    };
}

const Tool kTool = describeTool("sovane05-lyrics", kSynopsis, optionTable);

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;

    InputText content = readInputFile(options.input.c_str());
    if (!content.read)
        return reportFailure(kTool, options.input + ": cannot read the lyric file: " + content.failure +
                                        (options.input == kDefaultInput ? "; give --input FILE" : ""));

    LyricBuild build = buildLyrics(content.text, options.input, options.build);
    if (!options.build.strict)
        for (const std::string& warning : build.warnings)
            std::fprintf(stderr, "sovane05-lyrics: %s\n", markedWarning(warning, options.input).c_str());
    if (!build.ok()) {
        for (const std::string& error : build.errors)
            std::fprintf(stderr, "sovane05-lyrics: %s\n", error.c_str());
        return 1;
    }
    if (!options.check) {
        if (options.output == kShowDataFolder)
            if (std::string expected = showFolderExpected(options.output, "--output FOLDER"); !expected.empty())
                return reportFailure(kTool, expected);
        // Until now a signal ends the tool at once, as nothing is written; from here it asks
        // for a stop, so that the partial files are removed.
        catchStopSignals();
        std::optional<std::string> failure = writeLyrics(build, options.output, options.output, stopRequested);
        if (failure && failure->empty())
            return reportFailure(kTool, options.output + ": interrupted; nothing written");
        if (failure)
            return reportFailure(kTool, *failure);
    }
    std::fprintf(stderr, "sovane05-lyrics: %s: %s%s\n", options.input.c_str(), summariseLyrics(build).c_str(),
                 options.check ? ": fits the show" : "");
    return 0;
}
