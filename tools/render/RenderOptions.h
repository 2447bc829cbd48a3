// The command line of sovane05-render, read without touching GL or files, so every rule about
// which options go together is checked by the unit tests.
//
//   const Tool kTool{"sovane05-render", renderUsage()};
//   ParsedArguments parsed = parseRenderArguments({argv + 1, argv + argc});
//   if (!parsed.standardOption.empty()) return *answerStandardOption(kTool, parsed.standardOption);
//   if (!parsed.usageError.empty()) return usageError(kTool, parsed.usageError);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/render/OutputPattern.h"
#include "tools/render/VideoQuality.h"

// More stills or frames than this in one run is a mistake in the step, not a wish.
constexpr int64_t kMostFrames = 1'000'000;

struct RenderOptions {
    // Stills: each --at in order, or --every DT from --from (default 0) to --to (default the
    // end of the music); written to `output`.
    std::vector<double> at;
    std::optional<double> from;
    std::optional<double> to;
    std::optional<double> every;
    std::optional<OutputPattern> output;
    // A video of [from, to) with the music, instead of stills.
    std::optional<std::string> video;
    double fps = 60.0;
    VideoQuality quality = VideoQuality::Normal;
    int width = 1920;
    int height = 1080;
    std::string data;  // empty: the working folder's show, else the installed one
    bool force = false;
};

struct ParsedArguments {
    RenderOptions options;
    std::string standardOption;  // "--help" or "--version" when one was given
    std::string usageError;      // what is wrong with the command line, or ""
};

ParsedArguments parseRenderArguments(const std::vector<std::string_view>& arguments);

// The --help text, made from the table parseRenderArguments reads with.
const std::string& renderUsage();
