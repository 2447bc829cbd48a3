// The conventions every sovane05 tool keeps on its command line: --help prints the usage on
// standard output, --version the one version of the project; a usage error prints what is wrong
// and the usage on standard error and exits 2; a reported failure is one line and exit 1.
//
//   const Tool kTool{"sovane05-render", kUsage};
//   for (...) {
//       if (auto answered = answerStandardOption(kTool, argument)) return *answered;
//       ...
//       return usageError(kTool, "unknown argument '" + std::string(argument) + "'");
//   }
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

struct Tool {
    std::string_view name;   // "sovane05-render"
    std::string_view usage;  // the --help text, ending in a line feed
};

// The project's version, "1.0.0".
std::string_view sovane05Version();

// Answers --help and --version (0 after printing); nothing for any other argument.
std::optional<int> answerStandardOption(const Tool& tool, std::string_view argument);

// "<name>: <what>" and the usage on standard error; returns 2.
int usageError(const Tool& tool, const std::string& what);

// "<name>: <what>" on standard error; returns 1.
int reportFailure(const Tool& tool, const std::string& what);

// Reads a number of seconds or another finite decimal; nothing when `text` is not one whole.
std::optional<double> parseNumber(std::string_view text);

// Reads "WIDTHxHEIGHT" with both between `smallest` and `largest`.
std::optional<std::pair<int, int>> parseSize(std::string_view text, int smallest, int largest);
