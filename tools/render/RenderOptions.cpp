// Reading and checking sovane05-render's command line.
#include "tools/render/RenderOptions.h"

#include "tools/lib/base/CommandLine.h"
#include "tools/render/FrameTimes.h"

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-render --at T [--at T ...] -o FILE [options]\n"
    "       sovane05-render --every DT [--from A] [--to B] -o PATTERN [options]\n"
    "       sovane05-render --video FILE [--fps FPS] [--quality Q] [--from A] [--to B] [options]\n"
    "\n"
    "Draws the show off-screen, exactly as sovane05 draws it, at chosen show times: stills as\n"
    "PNG files (RGB, top row first, the same bytes for the same moment), or the show as an\n"
    "H.264 video with its music, in step whatever the machine's speed. Needs no display and\n"
    "no sound card; the video needs ffmpeg.\n"
    "\n";

constexpr std::string_view kNotes =
    "Progress goes to standard error; Ctrl-C stops and leaves no partial file behind.\n"
    "Exit status: 0 done, 1 a reported failure, 2 a usage error.\n";

constexpr int kSmallestSide = 2;
constexpr int kLargestSide = 16384;
constexpr double kHighestFps = 240.0;

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

// The first rule the options break, or "".
std::string combinationFault(const RenderOptions& options)
{
    bool stills = !options.at.empty() || options.every;
    if (options.video) {
        if (stills || options.output)
            return "--video cannot be combined with -o, --at or --every";
        if (options.width % 2 != 0 || options.height % 2 != 0)
            return "a video needs an even width and height, not " + std::to_string(options.width) + "x" +
                   std::to_string(options.height);
        if (options.from && options.to && *options.from >= *options.to)
            return "--from must come before --to";
        return "";
    }
    if (!options.at.empty() && (options.every || options.from || options.to))
        return "--at cannot be combined with --from, --to or --every";
    if ((options.from || options.to) && !options.every)
        return "--from and --to need --every or --video";
    if (!stills && !options.output)
        return "nothing to render: give --at or --every with -o, or --video";
    if (!stills)
        return "-o needs --at or --every";
    if (!options.output)
        return "--at and --every need -o";
    if (options.from && options.to && *options.from > *options.to)
        return "--from must not come after --to";
    if (options.every && options.to && momentCount(options.from.value_or(0.0), *options.to, *options.every) > kMostFrames)
        return "--every makes more than " + std::to_string(kMostFrames) + " frames";
    if ((options.every || options.at.size() > 1) && !options.output->hasField)
        return "-o " + quoted(options.output->fill(0)) + ": several frames need a %d or %t field in the name";
    return "";
}

// A show time from 0 on, for --at, --from and --to.
OptionAction storeShowTime(RenderOptions& options)
{
    return [&options](const OptionUse& use) {
        std::optional<double> seconds = parseNumber(use.value);
        if (!seconds || *seconds < 0.0)
            return std::string(use.spelling) + " needs a show time in seconds from 0 on, not " + quoted(use.value);
        if (use.spelling == "--at")
            options.at.push_back(*seconds);
        else
            (use.spelling == "--from" ? options.from : options.to) = *seconds;
        return std::string();
    };
}

std::vector<Option> renderOptionTable(RenderOptions& options, bool& videoOptionGiven)
{
    auto every = [&options](const OptionUse& use) {
        std::optional<double> seconds = parseNumber(use.value);
        if (!seconds || *seconds <= 0.0)
            return "--every needs a step in seconds above 0, not " + quoted(use.value);
        options.every = *seconds;
        return std::string();
    };
    auto output = [&options](const OptionUse& use) {
        std::string why;
        options.output = parseOutputPattern(use.value, why);
        return options.output ? std::string() : std::string(use.spelling) + " " + why;
    };
    auto fps = [&options, &videoOptionGiven](const OptionUse& use) {
        std::optional<double> value = parseNumber(use.value);
        if (!value || *value < 1.0 || *value > kHighestFps)
            return "--fps needs frames per second from 1 to 240, not " + quoted(use.value);
        options.fps = *value;
        videoOptionGiven = true;
        return std::string();
    };
    auto quality = [&options, &videoOptionGiven](const OptionUse& use) {
        std::optional<VideoQuality> value = parseVideoQuality(use.value);
        if (!value)
            return "--quality needs draft, normal or best, not " + quoted(use.value);
        options.quality = *value;
        videoOptionGiven = true;
        return std::string();
    };
    auto size = [&options](const OptionUse& use) {
        auto given = parseSize(use.value, kSmallestSide, kLargestSide);
        if (!given)
            return "--size needs WIDTHxHEIGHT, each from 2 to 16384, not " + quoted(use.value);
        options.width = given->first;
        options.height = given->second;
        return std::string();
    };
    return {
        {"--at", "", "T", "a still at show time T seconds; may be given several times", storeShowTime(options)},
        {"--every", "", "DT", "stills every DT seconds from A to B, both included", every},
        {"--output", "-o", "PATTERN",
         "where stills go; several need one field: %d numbers them from 0\nin order (frames/%05d.png), %t names them by show time\n(frames/%t.png gives frames/012.500.png); a folder ending in /\nnames them by time", output},
        {"--video", "", "FILE",
         "an MP4 video: frame k shows time A + k / FPS for every such time\nbefore B, with the music from A to B as AAC",
         storeValue(options.video)},
        {"--fps", "", "FPS", "the video's frames per second (default 60)", fps},
        {"--quality", "", "Q",
         "the video's encoding: draft (x264 ultrafast, CRF 23) to check the\ntiming quickly, normal (veryfast, CRF 18; the default) or best\n(slow, CRF 16)",
         quality},
        {"--from", "", "A", "where the stills or the video start, in seconds (default 0)", storeShowTime(options)},
        {"--to", "", "B", "where they end (default the end of the music)", storeShowTime(options)},
        {"--size", "", "WxH", "the frame's size in pixels (default 1920x1080)", size},
        {"--data", "", "DIR",
         "the show's data folder (default ./data, else the installed show's);\nits config's paths are read from the "
         "folder above it, as the\nshow started there would",
         storeValue(options.data)},
        {"--force", "", "", "replace outputs that exist", setFlag(options.force)},
    };
}

}  // namespace

ParsedArguments parseRenderArguments(const std::vector<std::string_view>& arguments)
{
    ParsedArguments parsed;
    bool videoOptionGiven = false;
    CommandLineRead read = readArguments(renderOptionTable(parsed.options, videoOptionGiven), arguments);
    parsed.standardOption = read.standardOption;
    parsed.usageError = read.usageError;
    if (!parsed.standardOption.empty() || !parsed.usageError.empty())
        return parsed;
    if (videoOptionGiven && !parsed.options.video)
        parsed.usageError = "--fps and --quality are for --video only";
    else
        parsed.usageError = combinationFault(parsed.options);
    return parsed;
}

const std::string& renderUsage()
{
    static const std::string usage = [] {
        RenderOptions unused;
        bool videoOptionGiven = false;
        return usageText(kSynopsis, renderOptionTable(unused, videoOptionGiven), kNotes);
    }();
    return usage;
}
