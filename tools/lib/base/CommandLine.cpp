// The tools' shared command-line conventions.
#include "tools/lib/base/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

int usageError(const Tool& tool, const std::string& what)
{
    std::fprintf(stderr, "%.*s: %s\n%.*s", int(tool.name.size()), tool.name.data(), what.c_str(),
                 int(tool.usage.size()), tool.usage.data());
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
