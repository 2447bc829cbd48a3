// Reading and checking sovane05-render's command line.
#include "tools/render/RenderOptions.h"

#include "tools/lib/base/CommandLine.h"
#include "tools/render/FrameTimes.h"

namespace {

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
        return "-o " + quoted(options.output->fill(0)) + ": several frames need a %d field in the name";
    return "";
}

}  // namespace

ParsedArguments parseRenderArguments(const std::vector<std::string_view>& arguments)
{
    ParsedArguments parsed;
    RenderOptions& options = parsed.options;
    auto fail = [&](std::string what) {
        parsed.usageError = std::move(what);
        return parsed;
    };
    bool fpsGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            parsed.standardOption = std::string(argument);
            return parsed;
        }
        if (argument == "--force") {
            options.force = true;
            continue;
        }
        bool takesValue = argument == "--at" || argument == "--from" || argument == "--to" || argument == "--every" ||
                          argument == "-o" || argument == "--output" || argument == "--video" || argument == "--fps" ||
                          argument == "--size" || argument == "--data";
        if (!takesValue)
            return fail("unknown argument " + quoted(argument));
        if (i + 1 == arguments.size() || arguments[i + 1].empty())
            return fail(std::string(argument) + " needs a value");
        std::string_view value = arguments[++i];

        if (argument == "--at" || argument == "--from" || argument == "--to") {
            std::optional<double> seconds = parseNumber(value);
            if (!seconds || *seconds < 0.0)
                return fail(std::string(argument) + " needs a show time in seconds from 0 on, not " + quoted(value));
            if (argument == "--at")
                options.at.push_back(*seconds);
            else
                (argument == "--from" ? options.from : options.to) = *seconds;
        } else if (argument == "--every") {
            std::optional<double> seconds = parseNumber(value);
            if (!seconds || *seconds <= 0.0)
                return fail("--every needs a step in seconds above 0, not " + quoted(value));
            options.every = *seconds;
        } else if (argument == "--fps") {
            std::optional<double> fps = parseNumber(value);
            if (!fps || *fps < 1.0 || *fps > kHighestFps)
                return fail("--fps needs frames per second from 1 to 240, not " + quoted(value));
            options.fps = *fps;
            fpsGiven = true;
        } else if (argument == "--size") {
            auto size = parseSize(value, kSmallestSide, kLargestSide);
            if (!size)
                return fail("--size needs WIDTHxHEIGHT, each from 2 to 16384, not " + quoted(value));
            options.width = size->first;
            options.height = size->second;
        } else if (argument == "--data") {
            options.data = std::string(value);
        } else if (argument == "--video") {
            options.video = std::string(value);
        } else {
            std::string why;
            options.output = parseOutputPattern(value, why);
            if (!options.output)
                return fail(argument == "-o" ? "-o " + why : "--output " + why);
        }
    }
    if (fpsGiven && !options.video)
        return fail("--fps is for --video only");
    std::string fault = combinationFault(options);
    if (!fault.empty())
        return fail(fault);
    return parsed;
}
