// The option table every tool reads its command line with: values, faults, the end of the
// options, the standard answers, and the --help text made from the same table.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/base/CommandLine.h"

namespace {

struct Settings {
    bool force = false;
    std::optional<std::string> data;
    std::string output;
    std::string outputSpelling;
    std::vector<std::string> fonts;
    int size = 0;
};

std::vector<Option> table(Settings& settings)
{
    return {
        {"--data", "", "DIR", "the data folder", storeValue(settings.data)},
        {"--output", "-o", "FILE", "where it goes;\nmade when missing",
         [&settings](const OptionUse& use) {
             settings.output = std::string(use.value);
             settings.outputSpelling = std::string(use.spelling);
             return std::string();
         }},
        {"--size", "", "N", "a size",
         [&settings](const OptionUse& use) {
             std::optional<double> size = parseNumber(use.value);
             if (!size)
                 return "--size needs a number, not '" + std::string(use.value) + "'";
             settings.size = int(*size);
             return std::string();
         }},
        {"--font", "", "FONT", "a font; give several", appendValue(settings.fonts)},
        {"--force", "", "", "replace", setFlag(settings.force)},
    };
}

}  // namespace

TEST(CommandLine, TheTableReadsValuesAndNamesTheFirstFault)
{
    using Fault = CommandLineRead::Fault;
    struct Case {
        std::vector<std::string_view> arguments;
        Fault fault;
        std::string usageError;
        std::string standardOption;
    };
    const Case cases[] = {
        {{}, Fault::None, "", ""},
        {{"--data", "d", "--force", "-o", "out.png", "--font", "a", "--font", "b", "--size", "7"}, Fault::None, "", ""},
        {{"--data"}, Fault::MissingValue, "--data needs a value", ""},
        {{"--data", ""}, Fault::MissingValue, "--data needs a value", ""},
        {{"-o"}, Fault::MissingValue, "-o needs a value", ""},
        {{"--frobnicate"}, Fault::UnknownArgument, "unknown argument '--frobnicate'", ""},
        {{"stray"}, Fault::UnknownArgument, "unknown argument 'stray'", ""},
        {{"--size", "big"}, Fault::BadValue, "--size needs a number, not 'big'", ""},
        {{"--force", "--", "--force"}, Fault::UnknownArgument, "unknown argument '--force'", ""},
        {{"--", "--help"}, Fault::UnknownArgument, "unknown argument '--help'", ""},
        {{"--"}, Fault::None, "", ""},
        {{"--force", "--help", "--frobnicate"}, Fault::None, "", "--help"},
        {{"--frobnicate", "--help"}, Fault::UnknownArgument, "unknown argument '--frobnicate'", ""},
        {{"-h"}, Fault::None, "", "--help"},
        {{"--version", "--data"}, Fault::None, "", "--version"},
        {{"--force=yes"}, Fault::UnknownArgument, "unknown argument '--force=yes'", ""},
    };
    for (const Case& c : cases) {
        Settings settings;
        std::vector<Option> options = table(settings);
        CommandLineRead read = readArguments(options, c.arguments);
        std::string line = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(read.fault, c.fault) << line;
        EXPECT_EQ(read.usageError, c.usageError) << line;
        EXPECT_EQ(read.standardOption, c.standardOption) << line;
    }

    Settings settings;
    std::vector<Option> options = table(settings);
    std::vector<std::string_view> arguments = {"--data", "--force", "--output", "-x", "--font", "a", "--font", "b"};
    EXPECT_EQ(readArguments(options, arguments).fault, CommandLineRead::Fault::None);
    EXPECT_EQ(settings.data, "--force") << "a value is the next argument, whatever it looks like";
    EXPECT_FALSE(settings.force);
    EXPECT_EQ(settings.output, "-x");
    EXPECT_EQ(settings.outputSpelling, "--output");
    EXPECT_EQ(settings.fonts, (std::vector<std::string>{"a", "b"}));
    std::vector<std::string_view> alias = {"-o", "y"};
    readArguments(options, alias);
    EXPECT_EQ(settings.outputSpelling, "-o") << "the action learns which spelling was given";
}

TEST(CommandLine, HelpListsTheTableAlignedWithTheStandardOptionsLast)
{
    Settings settings;
    std::vector<Option> options = table(settings);
    EXPECT_EQ(usageText("usage: tool [options]\n\n", options, "Exit status: 0 done.\n"),
              "usage: tool [options]\n"
              "\n"
              "  --data DIR         the data folder\n"
              "  -o, --output FILE  where it goes;\n"
              "                     made when missing\n"
              "  --size N           a size\n"
              "  --font FONT        a font; give several\n"
              "  --force            replace\n"
              "  -h, --help         this text\n"
              "  --version          the version\n"
              "\n"
              "Exit status: 0 done.\n");
}
