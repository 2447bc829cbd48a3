// The checker's decisions that need no GL: where the timeline puts a window's bar, and which
// source line and severity a driver's log line names.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "rules/ShowTimeline.h"
#include "tools/check/Timeline.h"
#include "tools/lib/base/DriverLog.h"

TEST(CheckTimeline, ABarSpansTheColumnsOfItsWindowWithinTheAxis)
{
    const TimelineLayout layout = layoutTimeline(1000, 800, 64.0);
    ASSERT_LT(layout.axisLeft, layout.axisRight);
    const int span = layout.axisRight - layout.axisLeft;
    auto at = [&](double fraction) { return layout.axisLeft + int(std::lround(fraction * span)); };
    struct Case {
        double start;
        double end;
        std::pair<int, int> columns;
    };
    const Case cases[] = {
        {0.0, 64.0, {layout.axisLeft, layout.axisRight}},
        {16.0, 32.0, {at(0.25), at(0.5)}},
        {48.0, 64.0, {at(0.75), layout.axisRight}},
        {-8.0, 16.0, {layout.axisLeft, at(0.25)}},   // before the show: from 0 s on
        {48.0, 99.0, {at(0.75), layout.axisRight}},  // after the axis: to its end
        {20.0, 20.001, {at(20.0 / 64), at(20.0 / 64) + 1}},  // briefer than a column: one column
        {20.0, 20.0, {0, 0}},
        {30.0, 10.0, {0, 0}},
        {64.0, 70.0, {0, 0}},
        {-5.0, 0.0, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layout.barColumns(c.start, c.end), c.columns) << c.start << " to " << c.end << " s";

    // Rows stack downwards below the scenes and stay inside the picture.
    EXPECT_GT(layout.rowTop(0), layout.sceneTop + layout.sceneRowHeight);
    EXPECT_EQ(layout.rowTop(1) - layout.rowTop(0), layout.rowHeight);
    EXPECT_LE(layout.rowTop(kLyricLineCount), layout.height);
}

TEST(CheckTimeline, LabelsKeepTheirDistanceAndBarsFollowTheBackgroundsBeat)
{
    struct Step {
        double pixelsPerUnit;
        double step;
    };
    // Seconds along the axis of a 1920-wide picture: 58 s, a 3-minute song, a 5-minute song, an hour.
    const Step seconds[] = {{31.6, 5}, {10.2, 10}, {6.1, 15}, {0.5, 60}};
    for (const Step& c : seconds)
        EXPECT_EQ(labelStep(c.pixelsPerUnit, {5, 10, 15, 30, 60}, 63.0), c.step) << c.pixelsPerUnit;

    struct Grid {
        std::string source;
        BarGrid grid;
    };
    const Grid grids[] = {
        {"", {kSecondsPerBar, 0.0}},
        {"const float kBeat = 60.0 / 128.0;\nconst float kBar = 4.0 * kBeat;\n", {kSecondsPerBar, 0.0}},
        {"// x\nconst float kBeat = 60.0 / 97.5;\nconst float kDownbeat = 0.413;\n", {240.0 / 97.5, 0.413}},
        {"const float kBeat = 60.0 / fast;\n", {kSecondsPerBar, 0.0}},
        {"  const float kBeat = 60.0 / 90.0;\n", {kSecondsPerBar, 0.0}},
    };
    for (const Grid& c : grids) {
        BarGrid grid = barGridOf(c.source);
        EXPECT_DOUBLE_EQ(grid.secondsPerBar, c.grid.secondsPerBar) << c.source;
        EXPECT_DOUBLE_EQ(grid.firstDownbeat, c.grid.firstDownbeat) << c.source;
    }

    // A row per line in use, all inside the picture, however many.
    for (int rows : {1, 87, 400, 1000}) {
        const TimelineLayout layout = layoutTimeline(1920, 1440, 300.0, rows);
        EXPECT_GE(layout.rowHeight, 1);
        EXPECT_LE(layout.rowTop(rows), layout.height) << rows;
    }
}

TEST(CheckDriverLog, EachLogLineGivesItsSourceLineAndSeverity)
{
    struct Case {
        std::string log;
        std::vector<DriverMessage> messages;
    };
    const Case cases[] = {
        {"0:12(5): error: `undeclared' undeclared\n0:3(1): warning: extension unused\n0:3(9): warning: extension unused\n",
         {{12, Severity::Error, "`undeclared' undeclared"}, {3, Severity::Warning, "extension unused"}}},
        {"0:4(9): error: no matching function for call to `sin(error)'; candidates are:\n"
         "0:4(9): error:    float sin(float)\n0:4(9): error:    vec2 sin(vec2)\n0:5(1): error:   another line, another problem\n",
         {{4, Severity::Error, "no matching function for call to `sin(error)'; candidates are: float sin(float), vec2 sin(vec2)"},
          {5, Severity::Error, "  another line, another problem"}}},
        {"0:12: error: no column", {{12, Severity::Error, "no column"}}},
        {"0:12(x): error: not a column", {{0, Severity::Warning, "0:12(x): error: not a column"}}},
        {"0(7) : error C1008: undefined variable \"x\"", {{7, Severity::Error, "undefined variable \"x\""}}},
        {"ERROR: 0:9: 'x' : undeclared identifier\r\n", {{9, Severity::Error, "'x' : undeclared identifier"}}},
        {"WARNING: 0:2: precision ignored", {{2, Severity::Warning, "precision ignored"}}},
        {"error: main function not found\n\n", {{0, Severity::Error, "main function not found"}}},
        {"link failed for an unknown reason", {{0, Severity::Warning, "link failed for an unknown reason"}}},
        {"0:12 error: not quite Mesa", {{0, Severity::Warning, "0:12 error: not quite Mesa"}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<DriverMessage> messages = readDriverLog(c.log, Severity::Warning);
        ASSERT_EQ(messages.size(), c.messages.size()) << c.log;
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].line, c.messages[i].line) << c.log;
            EXPECT_EQ(messages[i].severity, c.messages[i].severity) << c.log;
            EXPECT_EQ(messages[i].message, c.messages[i].message) << c.log;
        }
    }
}

// The logs are Mesa's (llvmpipe, Debian 12) for these sources; tests/gl checks that it still
// writes them.
TEST(CheckDriverLog, ASyntaxErrorReportedAtTheNextTokenIsPlacedWhereTheFaultIs)
{
    struct Case {
        std::string source;
        std::string log;
        size_t line;
        std::string message;  // "": the driver's, unchanged
    };
    const std::string head = "#version 410 core\nout vec4 colour;\nvoid main()\n{\n";
    const std::string expecting = "syntax error, unexpected IDENTIFIER, expecting ',' or ';'";
    const Case cases[] = {
        {head + "    float a = 1.0\n\n    // a comment\n    colour = vec4(a);\n}\n", "0:8(2): error: " + expecting + "\n",
         5, expecting + " (reported on line 8, at the next token)"},
        {head + "    float a = 1.0\n    colour = vec4(a);\n}\n", "0:6(2): error: " + expecting + "\n", 5,
         expecting + " (reported on line 6, at the next token)"},
        {head + "    colour = vec4(1.0)\n}\n", "0:6(1): error: syntax error, unexpected '}', expecting ',' or ';'\n", 5,
         "syntax error, unexpected '}', expecting ',' or ';' (reported on line 6, at the next token)"},
        {"#version 410 core\nout vec4 colour;\nuniform float time\n\nvoid main()\n{\n    colour = vec4(time);\n}\n",
         "0:5(1): error: syntax error, unexpected VOID_TOK, expecting ',' or ';'\n", 3,
         "syntax error, unexpected VOID_TOK, expecting ',' or ';' (reported on line 5, at the next token)"},
        {head + "    float a = 1.0 /* x */\n    /* block\n       comment */\n        a += 2.0;\n    colour = vec4(a);\n}\n",
         "0:8(2): error: syntax error, unexpected NEW_IDENTIFIER, expecting ',' or ';'\n", 5,
         "syntax error, unexpected NEW_IDENTIFIER, expecting ',' or ';' (reported on line 8, at the next token)"},
        {head + "    float a = sin(1.0\n    colour = vec4(a);\n}\n",
         "0:6(2): error: syntax error, unexpected IDENTIFIER, expecting ')' or ','\n", 5,
         "syntax error, unexpected IDENTIFIER, expecting ')' or ',' (reported on line 6, at the next token)"},
        // The token is inside its line: the fault is there.
        {head + "    float a = 1.0;\n    colour = vec4(a) colour;\n}\n", "0:6(19): error: " + expecting + "\n", 6, ""},
        // The line before ends a statement: the fault is on the reported line.
        {head + "    float a = 1.0;\n    colour = vec4(a) +;\n}\n", "0:6(2): error: syntax error, unexpected ';'\n", 6, ""},
        {head + "    float a = 1.0;\n#define X\n    colour = ;\n}\n", "0:7(2): error: syntax error, unexpected ';'\n", 7, ""},
        // Not a syntax error, or no line to look back to.
        {head + "    float a = 1.0\n    colour = vec4(b);\n}\n", "0:6(2): error: `b' undeclared\n", 6, ""},
        {"x y\n", "0:1(3): error: syntax error, unexpected IDENTIFIER\n", 1, ""},
        {"", "0:6(2): error: " + expecting + "\n", 6, ""},
    };
    for (const Case& c : cases) {
        std::vector<DriverMessage> messages = readDriverLog(c.log, Severity::Error, c.source);
        ASSERT_EQ(messages.size(), 1u) << c.log;
        EXPECT_EQ(messages[0].line, c.line) << c.source;
        EXPECT_EQ(messages[0].message, c.message.empty() ? readDriverLog(c.log, Severity::Error)[0].message : c.message)
            << c.source;
    }
}
