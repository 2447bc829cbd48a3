// The tools' shared command-line conventions and the option table's reading and help text.
#include "tools/lib/base/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "platform/system/StopSignal.h"

namespace {

// The options every tool answers itself, listed after the tool's own. Made on first use: the
// tools make their help text while their own globals are initialised.
std::span<const Option> standardOptions()
{
    static const Option options[] = {
        {"--help", "-h", "", "this text", {}},
        {"--version", "", "", "the version", {}},
    };
    return options;
}

std::string shownNames(const Option& option)
{
    std::string names = option.alias.empty() ? "" : std::string(option.alias) + ", ";
    names += option.name;
    if (!option.valueName.empty())
        names += " " + std::string(option.valueName);
    return names;
}

const Option* findOption(std::span<const Option> options, std::string_view argument)
{
    for (const Option& option : options) {
        if (argument == option.name || (!option.alias.empty() && argument == option.alias))
            return &option;
    }
    return nullptr;
}

CommandLineRead faulted(CommandLineRead::Fault fault, std::string_view argument, std::string usageError)
{
    CommandLineRead read;
    read.fault = fault;
    read.argument = std::string(argument);
    read.usageError = std::move(usageError);
    return read;
}

}  // namespace

OptionAction setFlag(bool& flag)
{
    return [&flag](const OptionUse&) {
        flag = true;
        return std::string();
    };
}

OptionAction appendValue(std::vector<std::string>& list, size_t most, std::string tooMany)
{
    return [&list, most, tooMany](const OptionUse& use) {
        if (list.size() == most)
            return tooMany;
        list.emplace_back(use.value);
        return std::string();
    };
}

OptionAction storeSize(int& width, int& height, int smallest, int largest, bool* given)
{
    return [&width, &height, smallest, largest, given](const OptionUse& use) {
        std::optional<std::pair<int, int>> size = parseSize(use.value, smallest, largest);
        if (!size)
            return std::string(use.spelling) + " needs WIDTHxHEIGHT between " + std::to_string(smallest) + " and " +
                   std::to_string(largest) + ", not '" + std::string(use.value) + "'";
        std::tie(width, height) = *size;
        if (given != nullptr)
            *given = true;
        return std::string();
    };
}

std::string usageText(std::string_view synopsis, std::span<const Option> options, std::string_view notes)
{
    std::vector<const Option*> listed;
    for (const Option& option : options)
        listed.push_back(&option);
    for (const Option& option : standardOptions())
        listed.push_back(&option);
    size_t column = 0;
    for (const Option* option : listed)
        column = std::max(column, shownNames(*option).size());
    // Two spaces before the names and at least two after the longest.
    column += 4;

    std::string text(synopsis);
    for (const Option* option : listed) {
        std::string lead = "  " + shownNames(*option);
        std::string_view help = option->help;
        do {
            size_t end = help.find('\n');
            lead.resize(column, ' ');
            text += lead + std::string(help.substr(0, end)) + "\n";
            lead.clear();
            help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
        } while (!help.empty());
    }
    if (!notes.empty())
        text += "\n" + std::string(notes);
    return text;
}

CommandLineRead readArguments(std::span<const Option> options, std::span<const std::string_view> arguments)
{
    using Fault = CommandLineRead::Fault;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && findOption(standardOptions(), argument) != nullptr) {
            CommandLineRead read;
            read.standardOption = argument == "-h" ? "--help" : std::string(argument);
            return read;
        }
        const Option* option = optionsEnded ? nullptr : findOption(options, argument);
        if (option == nullptr)
            return faulted(Fault::UnknownArgument, argument, "unknown argument '" + std::string(argument) + "'");
        OptionUse use{argument, {}};
        if (!option->valueName.empty()) {
            if (i + 1 == arguments.size() || arguments[i + 1].empty())
                return faulted(Fault::MissingValue, argument, std::string(argument) + " needs a value");
            use.value = arguments[++i];
        }
        std::string error = option->action(use);
        if (!error.empty())
            return faulted(Fault::BadValue, argument, std::move(error));
    }
    return {};
}

std::optional<int> readCommandLine(const Tool& tool, std::span<const Option> options, int argc, char** argv)
{
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    CommandLineRead read = readArguments(options, arguments);
    if (!read.standardOption.empty())
        return answerStandardOption(tool, read.standardOption);
    if (read.fault != CommandLineRead::Fault::None)
        return usageError(tool, read.usageError);
    return std::nullopt;
}

std::optional<int> startTool(const Tool& tool, std::span<const Option> options, int argc, char** argv)
{
    ignoreBrokenPipe();
    return readCommandLine(tool, options, argc, argv);
}

std::string_view sovane05Version()
{
    return SOVANE05_VERSION;
}

std::optional<int> answerStandardOption(const Tool& tool, std::string_view argument)
{
    if (argument == "--help" || argument == "-h") {
        std::fwrite(tool.usage.data(), 1, tool.usage.size(), stdout);
        return 0;
    }
    if (argument == "--version") {
        std::printf("%.*s %.*s\n", int(tool.name.size()), tool.name.data(), int(sovane05Version().size()),
                    sovane05Version().data());
        return 0;
    }
    return std::nullopt;
}

std::string usageErrorText(std::string_view toolName, std::string_view what)
{
    std::string name(toolName);
    return name + ": " + std::string(what) + "\nTry '" + name + " --help'.\n";
}

int usageError(const Tool& tool, const std::string& what)
{
    std::fputs(usageErrorText(tool.name, what).c_str(), stderr);
    return 2;
}

int reportFailure(const Tool& tool, const std::string& what)
{
    std::fprintf(stderr, "%.*s: %s\n", int(tool.name.size()), tool.name.data(), what.c_str());
    return 1;
}

std::optional<double> parseNumber(std::string_view text)
{
    // strtod in the C locale, which the tools never change; it needs a terminated copy.
    std::string copy(text);
    if (copy.empty())
        return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::pair<int, int>> parseSize(std::string_view text, int smallest, int largest)
{
    size_t cross = text.find('x');
    if (cross == std::string_view::npos)
        return std::nullopt;
    int width = 0;
    int height = 0;
    auto [widthEnd, widthError] = std::from_chars(text.data(), text.data() + cross, width);
    auto [heightEnd, heightError] = std::from_chars(text.data() + cross + 1, text.data() + text.size(), height);
    if (widthError != std::errc() || heightError != std::errc() || widthEnd != text.data() + cross ||
        heightEnd != text.data() + text.size())
        return std::nullopt;
    if (width < smallest || height < smallest || width > largest || height > largest)
        return std::nullopt;
    return std::pair{width, height};
}
