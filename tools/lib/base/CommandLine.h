// The conventions every sovane05 tool keeps on its command line, and the one table each tool
// describes its options with: the table reads the arguments and makes the --help text.
// --help (-h) prints the usage on standard output and --version the one version of the
// project, exit 0; a usage error prints what is wrong and where the help is on standard error,
// exit 2; a reported failure is one line, exit 1. An option that takes a value takes the next argument,
// which may not be missing or empty; "--" ends the options, and no tool takes other arguments.
//
//   std::vector<Option> optionTable(Options& options)
//   {
//       return {{"--data", "", "DIR", "the data folder", storeValue(options.data)},
//               {"--force", "", "", "replace outputs that exist", setFlag(options.force)}};
//   }
//   const Tool kTool = describeTool("sovane05-check", kSynopsis, optionTable);
//   ...
//   Options options;
//   if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv)) return *status;
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct Tool {
    std::string_view name;  // "sovane05-render"
    std::string usage;      // the --help text, ending in a line feed
};

// One use of an option on the command line.
struct OptionUse {
    std::string_view spelling;  // as given: "-o" or "--output"
    std::string_view value;     // the argument after it; empty for an option without a value
};

// Takes one use of an option into the tool's settings; returns a usage error, or "".
using OptionAction = std::function<std::string(const OptionUse& use)>;

struct Option {
    std::string_view name;       // "--output"
    std::string_view alias;      // "-o", or ""
    std::string_view valueName;  // "PATTERN"; "" for an option without a value
    std::string_view help;       // its text in --help; each line feed starts an aligned line
    OptionAction action;
};

// Actions for the common cases: a flag set to true, a value stored as it is (into a string, a
// path or an optional of either), a value appended to a list (at most `most` of them, else the
// usage error `tooMany`), a size "WIDTHxHEIGHT" with both sides within limits (`given`, when
// not null, set when it was).
OptionAction setFlag(bool& flag);
template <typename Target>
OptionAction storeValue(Target& target)
{
    return [&target](const OptionUse& use) {
        target = Target(std::string(use.value));
        return std::string();
    };
}
OptionAction appendValue(std::vector<std::string>& list, size_t most = SIZE_MAX, std::string tooMany = "");
OptionAction storeSize(int& width, int& height, int smallest, int largest, bool* given = nullptr);

// The --help text: `synopsis` (the usage lines and what the tool does, ending in a blank line),
// a line for each option with --help and --version last, and `notes` (may be empty).
std::string usageText(std::string_view synopsis, std::span<const Option> options, std::string_view notes);

// The tool named `name`, its --help made from the table `optionsOf` gives for any settings.
template <typename Settings>
Tool describeTool(std::string_view name, std::string_view synopsis, std::vector<Option> (*optionsOf)(Settings&),
                  std::string_view notes = {})
{
    Settings unused;
    return {name, usageText(synopsis, optionsOf(unused), notes)};
}

// What a command line asked for, read in order up to the first fault.
struct CommandLineRead {
    enum class Fault { None, UnknownArgument, MissingValue, BadValue };
    std::string standardOption;  // "--help" or "--version" when one came before any fault
    Fault fault = Fault::None;
    std::string argument;        // the argument at fault
    std::string usageError;      // the fault in words: "unknown argument '--x'", "--data needs a value", …
};

CommandLineRead readArguments(std::span<const Option> options, std::span<const std::string_view> arguments);

// Reads the arguments and answers --help and --version (0) or a usage error (2); nothing when
// the tool goes on.
std::optional<int> readCommandLine(const Tool& tool, std::span<const Option> options, int argc, char** argv);

// The start of a tool's main: a write to a closed pipe becomes a write error instead of the end
// of the tool (platform/system/StopSignal.h), then readCommandLine.
std::optional<int> startTool(const Tool& tool, std::span<const Option> options, int argc, char** argv);

// The project's version, "1.0.0".
std::string_view sovane05Version();

// Answers --help and --version (0 after printing); nothing for any other argument.
std::optional<int> answerStandardOption(const Tool& tool, std::string_view argument);

// The two lines of a usage error: "<name>: <what>", then "Try '<name> --help'.".
std::string usageErrorText(std::string_view toolName, std::string_view what);

// The usage error's two lines on standard error; returns 2.
int usageError(const Tool& tool, const std::string& what);

// "<name>: <what>" on standard error; returns 1.
int reportFailure(const Tool& tool, const std::string& what);

// Reads a number of seconds or another finite decimal; nothing when `text` is not one whole.
std::optional<double> parseNumber(std::string_view text);

// Reads "WIDTHxHEIGHT" with both between `smallest` and `largest`.
std::optional<std::pair<int, int>> parseSize(std::string_view text, int smallest, int largest);
