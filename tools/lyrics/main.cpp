// The lyrics tool: reads a lyric file (the show's own or an LRC file from elsewhere, in any
// encoding) and writes the show's timing file and one image per slot (data/texttiming.txt,
// data/lyrics/000.png … 086.png), after checking that every entry can be seen and that nothing
// shown together overlaps. Every problem of the file is reported in the one run.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/StopSignal.h"
#include "rules/InputFile.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/base/Progress.h"
#include "tools/lib/lyrics/LyricBuild.h"

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-lyrics [--input FILE] [--output FOLDER] [--encoding NAME] [--font FONT]...\n"
    "                       [--no-default-fonts] [--strict] [--check]\n"
    "\n"
    "Reads the lyric file (default authoring/lyrics.txt; LRC files work too, in any encoding)\n"
    "and writes FOLDER/texttiming.txt and FOLDER/lyrics/000.png … 086.png (default FOLDER:\n"
    "data). The first entry of the file is the first timing line and image 086. Entries that\n"
    "start after the lyric scene (45 s) are left out, slots the file does not fill stay blank,\n"
    "and lines whose word stamps crowd the screen are grouped into fewer entries, each with a\n"
    "warning.\n"
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
        {"--encoding", "", "NAME",
         "the file's encoding as iconv names it (GB18030, SHIFT_JIS, UTF-16LE, …;\n'iconv -l' lists them); "
         "default: a byte-order mark, else UTF-8, else the\nencoding the file looks like, with a warning",
         storeValue(options.build.encoding)},
        {"--font", "", "FONT",
         "a font to take characters from before the default chain; give several,\ntried in order (the default "
         "chain: DejaVu Sans Bold, then the installed\nfonts for other scripts and emoji)",
         appendValue(options.build.fonts)},
        {"--no-default-fonts", "", "", "take characters from the --font fonts only",
         setFlag(options.build.onlyGivenFonts)},
        {"--strict", "", "", "make every warning an error", setFlag(options.build.strict)},
        {"--check", "", "", "check the file and the layout, write nothing", setFlag(options.check)},
    };
}

const Tool kTool = describeTool("sovane05-lyrics", kSynopsis, optionTable);

void say(const std::string& line)
{
    std::fprintf(stderr, "sovane05-lyrics: %s\n", line.c_str());
}

// "wrote data/texttiming.txt and data/lyrics/ (87 images, 1.2 MB)"
std::string wroteLine(const std::filesystem::path& folder, int images)
{
    std::filesystem::path timing = folder / kTimingFileName;
    std::filesystem::path lyrics = folder / "lyrics";
    return "wrote " + timing.string() + " and " + (lyrics / "").string() + " (" + std::to_string(images) +
           (images == 1 ? " image, " : " images, ") + sizeInWords(bytesWritten(timing) + bytesWritten(lyrics)) + ")";
}

int interrupted(const Options& options)
{
    say(options.check ? options.input + ": interrupted" : options.output + ": interrupted; nothing written");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;

    InputText input = readInputFile(options.input.c_str());
    if (!input.read) {
        say(options.input + ": cannot read the lyric file: " + input.failure +
            (options.input == kDefaultInput ? "; give --input FILE" : ""));
        say(options.input + ": 1 error: nothing made");
        return 1;
    }
    // From here a signal asks the build to stop at the next row or stage.
    catchStopSignals();
    options.build.stopRequested = stopRequested;
    LyricBuild build = buildLyrics(input.text, options.input, options.build);
    if (build.stopped)
        return interrupted(options);
    for (const std::string& line : lyricReport(build, options.input, options.build.strict))
        say(line);
    if (!build.ok()) {
        say(options.input + ": " + failureSummary(build, options.build.strict));
        return 1;
    }
    if (!options.check) {
        if (options.output == kShowDataFolder)
            if (std::string expected = showFolderExpected(options.output, "--output FOLDER"); !expected.empty())
                return reportFailure(kTool, expected);
        std::optional<std::vector<RgbaImage>> images = drawLyricImages(build, stopRequested);
        if (!images || stopRequested())
            return interrupted(options);
        ProgressOnStandardError progress(kTool.name, "images", writtenSlots(build));
        std::optional<std::string> failure =
            writeLyrics(build, *images, options.output, options.output, [&](int written) { progress.show(written); });
        progress.close();
        if (failure)
            return reportFailure(kTool, *failure);
    }
    say(options.input + ": " + summariseLyrics(build) + (options.check ? ": fits the show" : ""));
    if (!options.check)
        say(wroteLine(options.output, writtenSlots(build)));
    return 0;
}
