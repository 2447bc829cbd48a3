// sovane05-check: reads a show folder the way the show reads it and reports every problem at
// once, one line each on standard output as compilers do, then a summary; with --timeline it
// also draws the show's timeline as a PNG.
#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/ShowTimeline.h"
#include "tools/check/ShowCheck.h"
#include "tools/check/Timeline.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/glyphs/FontChain.h"

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-check [--data DIR] [--verbose] [--timeline FILE.png [--size WIDTHxHEIGHT] [--force]]\n"
    "\n"
    "Reads a show's data folder the way the show reads it and reports every problem at once on\n"
    "standard output, one line each (\"path:line: error: message\"), then a summary line. Exits 1\n"
    "when there is an error, 0 when there are only warnings or none.\n"
    "\n";

const char* const kLabelFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Options {
    std::optional<std::filesystem::path> data;
    bool verbose = false;
    std::filesystem::path timeline;
    int width = 1920;
    int height = 1440;
    bool sizeGiven = false;
    bool force = false;
};

std::vector<Option> optionTable(Options& options)
{
    return {
        {"--data", "", "DIR", "the data folder (default: ./data, else the installed show's)", storeValue(options.data)},
        {"--verbose", "", "",
         "also notes each image's size and channels, the texture memory and\nthe music's length",
         setFlag(options.verbose)},
        {"--timeline", "", "FILE.png", "draws the show's timeline: the music, the scenes and every lyric line",
         storeValue(options.timeline)},
        {"--size", "", "WIDTHxHEIGHT", "the picture's size (default 1920x1440)",
         storeSize(options.width, options.height, 256, 8192, &options.sizeGiven)},
        {"--force", "", "", "overwrites an existing picture", setFlag(options.force)},
    };
}

const Tool kTool = describeTool("sovane05-check", kSynopsis, optionTable);

// "" when the picture is written, else why not.
std::string writeTimeline(const ShowCheck& check, const Options& options)
{
    TimelineContent content;
    content.timing = &check.timing;
    for (const CheckedImage* image : check.lineImages)
        content.thumbnails.push_back(image != nullptr ? &image->thumbnail : nullptr);
    content.music = check.music ? &*check.music : nullptr;
    content.scenes = check.timetable.scenes;
    content.grid = barGridOf(check.backgroundVertex);
    double duration = std::max(check.timetable.end(), check.music ? check.music->seconds() : 0.0);
    auto font = std::make_unique<FontChain>(std::vector<std::string>{kLabelFont});
    for (const FontProblem& problem : font->problems())
        std::fprintf(stderr, "sovane05-check: %s: cannot use the font: %s; the timeline goes unlabelled\n",
                     problem.path.c_str(), problem.reason.c_str());
    int rows = int(linesInUse(check.timing).size());
    Canvas picture = drawTimeline(content, layoutTimeline(options.width, options.height, std::max(duration, 1.0), rows),
                                  font->size() > 0 ? font.get() : nullptr);
    return writePng(options.timeline, picture.width, picture.height, 4, picture.rgba.data());
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;
    if (options.timeline.empty() && (options.sizeGiven || options.force))
        return usageError(kTool, std::string(options.sizeGiven ? "--size" : "--force") + " goes with --timeline");

    // Named as given; written where it was meant, wherever the data folder is.
    const std::string timelineShown = options.timeline.string();
    if (!options.timeline.empty()) {
        options.timeline = absoluteFromHere(options.timeline);
        if (std::filesystem::exists(options.timeline) && !options.force)
            return reportFailure(kTool, timelineShown + ": exists; --force overwrites it");
    }
    DataFolder folder(options.data ? *options.data : defaultDataFolder(kTool.name));
    if (!folder.failure.empty())
        return reportFailure(kTool, folder.failure);

    ShowCheck check = checkShow(options.verbose);
    for (const Finding& finding : check.findings)
        std::printf("%s\n", folder.asTyped(formatFinding(finding)).c_str());
    std::printf("%s\n", summaryLine(check.findings).c_str());
    std::fflush(stdout);

    int status = countOf(check.findings, Severity::Error) > 0 ? 1 : 0;
    if (!check.failure.empty())
        status = reportFailure(kTool, folder.asTyped(check.failure));
    if (!options.timeline.empty()) {
        if (std::string failure = writeTimeline(check, options); !failure.empty())
            status = reportFailure(kTool, timelineShown + ": " + failure);
        else if (options.verbose)
            std::fprintf(stderr, "sovane05-check: wrote %s\n", timelineShown.c_str());
    }
    SDL_Quit();
    return status;
}
