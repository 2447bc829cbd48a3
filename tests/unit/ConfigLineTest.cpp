// Cutting the configuration text into lines and lines into entries, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/ConfigLine.h"

namespace {

std::vector<std::string> linesOf(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::string_view line : configLines(text))
        lines.emplace_back(line);
    return lines;
}

}  // namespace

TEST(ConfigLines, LineFeedsEndLinesAndOnlyTheCarriageReturnBeforeOneIsDropped)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\r", {"a\r"}},
        {"a\r\r\n", {"a\r"}},
        {"a\rb\n", {"a\rb"}},
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(linesOf(c.text), c.lines) << "text: " << ::testing::PrintToString(c.text);
}

TEST(ConfigLines, LinesOfAnyLengthStayWhole)
{
    std::string longPath(100000, 'p');
    std::vector<std::string> lines = linesOf("Texture big " + longPath + "\nFile x y");
    ASSERT_EQ(lines.size(), 2u);
    ConfigLine line = parseConfigLine(lines[0]);
    EXPECT_EQ(line.entry.path, longPath);
}

TEST(ConfigLine, FieldsAreCutAtSingleSpacesAndTheLastRunsToTheEnd)
{
    using Outcome = ConfigLine::Outcome;
    struct Case {
        std::string line;
        Outcome outcome;
        ResourceKind kind;
        std::string name;
        std::string path;
        std::string vertexPath;
    };
    const Case cases[] = {
        {"Texture bg data/bg.png", Outcome::Entry, ResourceKind::Texture, "bg", "data/bg.png", ""},
        {"Texture photo data/my photo.png", Outcome::Entry, ResourceKind::Texture, "photo", "data/my photo.png", ""},
        {"Texture t data/a.png ", Outcome::Entry, ResourceKind::Texture, "t", "data/a.png ", ""},
        {"Texture  data/x.png", Outcome::Entry, ResourceKind::Texture, "", "data/x.png", ""},
        {"Texture a\tb c", Outcome::Entry, ResourceKind::Texture, "a\tb", "c", ""},
        {"Texture t ", Outcome::Entry, ResourceKind::Texture, "t", "", ""},
        {"Shader plain data/p.frag data/p.vert", Outcome::Entry, ResourceKind::Shader, "plain", "data/p.frag",
         "data/p.vert"},
        {"Shader s a b c ", Outcome::Entry, ResourceKind::Shader, "s", "a", "b c "},
        {"Shader s  v", Outcome::Entry, ResourceKind::Shader, "s", "", "v"},
        {"Mesh cube data/cube.mesh", Outcome::Entry, ResourceKind::Mesh, "cube", "data/cube.mesh", ""},
        {"File notes data/none.txt", Outcome::Entry, ResourceKind::File, "notes", "data/none.txt", ""},
        // Recognised kinds without the spaces their fields need.
        {"Texture", Outcome::Incomplete, ResourceKind::Texture, "", "", ""},
        {"Texture bg", Outcome::Incomplete, ResourceKind::Texture, "", "", ""},
        {"Shader s data/only.frag", Outcome::Incomplete, ResourceKind::Shader, "s", "", ""},
        {"File notes", Outcome::Incomplete, ResourceKind::File, "", "", ""},
        // Not resource lines.
        {"", Outcome::Ignored, ResourceKind::File, "", "", ""},
        {"texture bg data/bg.png", Outcome::Ignored, ResourceKind::File, "", "", ""},
        {" Texture bg data/bg.png", Outcome::Ignored, ResourceKind::File, "", "", ""},
        {"Texture\tbg data/bg.png", Outcome::Ignored, ResourceKind::File, "", "", ""},
        {"Textures bg data/bg.png", Outcome::Ignored, ResourceKind::File, "", "", ""},
        {"# Texture bg data/bg.png", Outcome::Ignored, ResourceKind::File, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        ConfigLine line = parseConfigLine(c.line);
        ASSERT_EQ(line.outcome, c.outcome);
        if (c.outcome == Outcome::Ignored)
            continue;
        EXPECT_EQ(line.entry.kind, c.kind);
        if (c.outcome == Outcome::Entry) {
            EXPECT_EQ(line.entry.name, c.name);
            EXPECT_EQ(line.entry.path, c.path);
            EXPECT_EQ(line.entry.vertexPath, c.vertexPath);
        }
    }
}
