// The real sovane05-check on small show folders broken one way each: every problem is one
// line naming its file and line, the summary counts them and the exit status follows the
// errors; the committed data checks clean; the timeline puts a line's bar where its times say.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "rules/LayoutHeader.h"
#include "tests/support/Image.h"
#include "tests/support/Process.h"
#include "tests/support/ShowRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMusic.h"
#include "tools/check/Timeline.h"
#include "tools/lib/base/PngWrite.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = SOVANE05_SOURCE_DIR;
constexpr double kFullTrack = 58.5;

// Every line shows for 0.4 s, one after the other, never two at once.
FixtureShow cleanShow()
{
    FixtureShow show;
    for (int line = 0; line < kLyricLineCount; ++line) {
        show.lines[line].start = 0.05 + 0.5 * line;
        show.lines[line].end = show.lines[line].start + 0.4;
    }
    return show;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void rewriteLines(const fs::path& file, const std::function<void(std::vector<std::string>&)>& change)
{
    std::vector<std::string> lines = linesOf(readFile(file));
    change(lines);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    writeFile(file, text);
}

auto replaceLine(size_t number, std::string text)
{
    return [number, text](const fs::path& data) {
        rewriteLines(data / "config.txt", [&](std::vector<std::string>& lines) { lines.at(number - 1) = text; });
    };
}

auto appendLine(std::string text)
{
    return [text](const fs::path& data) {
        rewriteLines(data / "config.txt", [&](std::vector<std::string>& lines) { lines.push_back(text); });
    };
}

// A PNG whose header claims `width` × `height`, which the checker must judge without decoding.
std::string pngHeader(uint32_t width, uint32_t height)
{
    std::string bytes = "\x89PNG\r\n\x1a\n";
    bytes += std::string("\0\0\0\x0dIHDR", 8);
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char((value >> shift) & 0xff);
    bytes += std::string("\x08\x06\0\0\0", 5);
    bytes += std::string(4, '\0');
    return bytes;
}

ProcessResult runCheck(const std::vector<std::string>& arguments, const fs::path& folder)
{
    std::vector<std::string> command = {SOVANE05_CHECK_TOOL};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProcess(command, {}, folder, 120.0);
}

std::string summaryOf(const std::vector<std::string>& findings)
{
    size_t errors = 0;
    size_t warnings = 0;
    for (const std::string& finding : findings) {
        errors += finding.find(": error: ") != std::string::npos;
        warnings += finding.find(": warning: ") != std::string::npos;
    }
    return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
           (warnings == 1 ? " warning" : " warnings");
}

}  // namespace

TEST(CheckTool, ReportsEachProblemOnOneLineWithItsFileAndLine)
{
    struct Row {
        std::string name;
        std::function<void(FixtureShow&)> show;     // changes to the clean fixture, if any
        std::function<void(const fs::path&)> edit;  // then to the files of its data folder
        std::vector<std::string> findings;          // every line before the summary, by its start
        int status;
        double music = kFullTrack;
    };
    const char* const kNoImage = "the texture gets no image and draws nothing";
    const std::string kZscore = "from the eleventh on, \"zscore\" falls to zero and below";
    const Row rows[] = {
        {"intact", {}, {}, {}, 0},
        {"a kind in lower case", {}, replaceLine(4, "texture 086 data/lines/086.png"),
         {"data/config.txt:4: warning: unknown kind \"texture\" (did you mean \"Texture\"?): the show ignores this line, "
          "which would have registered texture \"086\"",
          "data/config.txt: error: no texture named \"086\": the show stops at start-up"},
         1},
        {"a line starting with a blank", {}, replaceLine(5, " Texture 085 data/lines/085.png"),
         {"data/config.txt:5: warning: the line starts with a blank, so the show ignores it; without the blank it "
          "would register texture \"085\"",
          "data/config.txt: error: no texture named \"085\": the show stops at start-up"},
         1},
        {"an empty name", {}, appendLine("Texture  data/lines/000.png"),
         {"data/config.txt:92: warning: empty name (two spaces after \"Texture\"): the show registers this texture "
          "under \"\", which nothing asks for"},
         0},
        {"a path ending in a blank", {}, replaceLine(3, "Texture photo data/photo.png "),
         {"data/config.txt:3: error: the image path \"data/photo.png \" ends in a blank, and no such file exists: " +
          std::string(kNoImage)},
         1},
        {"a path to nothing", {}, replaceLine(3, "Texture photo data/nothing.png"),
         {"data/config.txt:3: error: no image \"data/nothing.png\": " + std::string(kNoImage)}, 1},
        {"a name registered twice", {}, appendLine("Texture 000 data/lines/001.png"),
         {"data/config.txt:92: warning: texture \"000\" is registered on line 90 too: this later line wins"}, 0},
        {"a kind with too few fields", {}, appendLine("Shader broken data/white.frag"),
         {"data/config.txt:92: error: a Shader line needs a name, a fragment shader path and a vertex shader path: "
          "the show skips this line"},
         1},
        {"an image that does not decode", {}, [](const fs::path& data) { writeFile(data / "lines/050.png", "not an image"); },
         {"data/lines/050.png: error: cannot load the image: unknown image type: " + std::string(kNoImage)}, 1},
        {"an image over the pixel limit", {},
         [](const fs::path& data) { writeFile(data / "lines/040.png", pngHeader(10000, 7000)); },
         {"data/lines/040.png: error: the image claims 10000x7000 pixels, over the limit of 67108864 (64 megapixels): " +
          std::string(kNoImage)},
         1},
        {"a picture placed past the edge of its frame", {},
         [](const fs::path& data) {
             Image photo(4, 3, {200, 120, 40, 255});
             writeLayoutHeader(photo.pixels.data(), photo.width, {1918, 0, true, 1920, 1080});
             writePng((data / "photo.png").string(), photo.width, photo.height, 4, photo.pixels.data());
         },
         {"data/photo.png: warning: its header places its 4×2 picture at (1918, 0), past the edge of its 1920×1080 "
          "frame: the part beyond is cut off"},
         0},
        {"an image wider than the driver's largest texture", {},
         [](const fs::path& data) { writeFile(data / "lines/030.png", pngHeader(70000, 2)); },
         {"data/lines/030.png: error: the image claims 70000x2 pixels, wider or taller than the "}, 1},
        {"a shader that does not compile", {},
         [](const fs::path& data) {
             writeFile(data / "white.frag", "#version 410 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0) }\n");
         },
         {"data/white.frag:3: error: "}, 1},
        {"a program that does not link", {},
         [](const fs::path& data) {
             writeFile(data / "white.frag", "#version 410 core\nout vec4 colour;\nvoid paint() { colour = vec4(1.0); }\n");
         },
         {"data/config.txt:1: error: program \"white\" does not link: "}, 1},
        {"a program without a uniform the show sets", {},
         [](const fs::path& data) {
             writeFile(data / "white.frag", "#version 410 core\nout vec4 colour;\nvoid main() { colour = vec4(0.5); }\n");
         },
         {"data/config.txt:1: warning: program \"white\" has no active uniform \"time\", which the show sets for every "
          "layer it draws"},
         0},
        {"a mesh with a short line and an index out of range", {},
         [](const fs::path& data) {
             appendLine("Mesh shape data/shape.mesh")(data);
             writeFile(data / "shape.mesh", "v 0 0 0\nv 1 0 0\nv 0 1\nv 0 1 0\nf 1 2 3\nf 1 2 5\n");
         },
         {"data/shape.mesh:3: error: a position needs three numbers: the show stops at start-up",
          "data/shape.mesh:6: error: a corner's index is outside its list (3 positions; indices count from 1): the "
          "show stops at start-up with \"invalid vector subscript\""},
         1},
        {"a short timing file", {},
         [](const fs::path& data) {
             rewriteLines(data / "texttiming.txt", [](std::vector<std::string>& lines) { lines.resize(80); });
         },
         {"data/texttiming.txt:80: error: only 80 whole pairs of 87: lines \"006\" to \"000\" (7) never show"}, 1},
        {"a timing token that is not a number", {},
         [](const fs::path& data) {
             rewriteLines(data / "texttiming.txt", [](std::vector<std::string>& lines) { lines.at(9) = "4.55 x"; });
         },
         {"data/texttiming.txt:10: error: pair 10 (\"077\"): \"x\" is not a number; reading stops here, so lines "
          "\"077\" to \"000\" (78) never show"},
         1},
        {"a start not before its end", [](FixtureShow& show) { show.lines[2] = {3.0, 2.0, show.lines[2].colour}; }, {},
         {"data/texttiming.txt:3: error: pair 3 (\"084\"): start 3.000 is not before end 2.000, so it never shows"}, 1},
        {"a window after the lyrics", [](FixtureShow& show) { show.lines[4] = {50.0, 52.0, show.lines[4].colour}; }, {},
         {"data/texttiming.txt:5: warning: pair 5 (\"082\"), 50.000 to 52.000 s, never shows: the lyrics run from "
          "0.000 to 45.000 s"},
         0},
        {"a window too brief within the lyrics", [](FixtureShow& show) { show.lines[5] = {44.8, 46.0, show.lines[5].colour}; },
         {},
         {"data/texttiming.txt:6: warning: pair 6 (\"081\") shows for only 0.200 s within the lyrics (44.800 to "
          "46.000 s), under 0.300 s"},
         0},
        {"eleven lines at once",
         [](FixtureShow& show) {
             for (int line = 0; line <= 10; ++line)
                 show.lines[line] = {44.0, 44.9, show.lines[line].colour};
         },
         {}, {"data/texttiming.txt:11: warning: 11 lines show at once from 44.000 to 44.900 s, when \"076\" appears: " + kZscore},
         0},
        {"ten lines at once",
         [](FixtureShow& show) {
             for (int line = 0; line < 10; ++line)
                 show.lines[line] = {44.0, 44.9, show.lines[line].colour};
         },
         {}, {}, 0},
        {"an unused slot", [](FixtureShow& show) { show.lines[7] = {0.0, 0.0, {9, 9, 9, 0}}; }, {}, {}, 0},
        {"a transparent image that shows", [](FixtureShow& show) { show.lines[7].colour.a = 0; }, {},
         {"data/texttiming.txt:8: warning: pair 8 (\"079\") shows from 3.550 to 3.950 s, but its image is fully "
          "transparent and draws nothing"},
         0},
        {"a name the show asks for", {}, replaceLine(2, "# textlayout left out"),
         {"data/config.txt: error: no shader program named \"textlayout\": the show stops at start-up"}, 1},
        {"no music", {}, [](const fs::path& data) { fs::remove(data / "ywsf.mp3"); },
         {"data/ywsf.mp3: error: missing: the show ends after its first frame"}, 1},
        {"music that does not decode", {}, [](const fs::path& data) { writeFile(data / "ywsf.mp3", "not music"); },
         {"data/ywsf.mp3: error: SDL_mixer cannot decode it ("}, 1},
        {"short music", {}, {}, {"data/ywsf.mp3: warning: it plays 1."}, 0, 1.5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FixtureShow show = cleanShow();
        if (row.show)
            row.show(show);
        ShowFolder folder(row.music, show);
        if (row.edit)
            row.edit(folder / "data");
        ProcessResult result = runCheck({}, folder.path());
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitStatus, row.status) << result.out << result.err;
        std::vector<std::string> out = linesOf(result.out);
        ASSERT_FALSE(out.empty()) << result.err;
        EXPECT_EQ(out.back(), summaryOf(row.findings));
        out.pop_back();
        ASSERT_EQ(out.size(), row.findings.size()) << result.out;
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(out[i].substr(0, row.findings[i].size()), row.findings[i]);
    }
}

TEST(CheckTool, TheCommittedDataChecksClean)
{
    ProcessResult result = runCheck({"--data", "data"}, kRoot);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "0 errors, 0 warnings\n");
}

TEST(CheckTool, TheTimelinePutsALinesBarAtTheColumnsOfItsWindow)
{
    FixtureShow show = cleanShow();
    show.lines[20] = {12.0, 30.0, {250, 200, 10, 255}};
    // Music shorter than the scenes, so the axis spans exactly their 58 s.
    ShowFolder folder(1.5, show);
    TempDir output;
    fs::path picture = output / "timeline.png";
    ProcessResult result =
        runCheck({"--data", (folder / "data").string(), "--timeline", picture.string(), "--size", "960x720"}, output.path());
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
    Image image = loadImage(picture.string());
    ASSERT_EQ(image.width, 960);
    ASSERT_EQ(image.height, 720);

    TimelineLayout layout = layoutTimeline(960, 720, 58.0);
    auto [first, last] = layout.barColumns(12.0, 30.0);
    int middle = layout.rowTop(20) + layout.rowHeight / 2;
    Rgba bar = {kTimelineBar.r, kTimelineBar.g, kTimelineBar.b, 255};
    EXPECT_NE(image.at(first - 1, middle), bar);
    EXPECT_EQ(image.at(first, middle), bar);
    EXPECT_EQ(image.at(first + 1, middle), show.lines[20].colour) << "the thumbnail of its image, at the bar's start";
    EXPECT_EQ(image.at(last - 1, middle), bar);
    EXPECT_NE(image.at(last, middle), bar);

    ProcessResult again = runCheck({"--data", (folder / "data").string(), "--timeline", picture.string()}, output.path());
    EXPECT_EQ(again.exitStatus, 1) << "an existing picture is kept without --force";
    EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
}

TEST(CheckTool, AnswersHelpVersionAndUsageErrors)
{
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string start;  // of standard output for answers, of standard error for errors
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage: sovane05-check "},
        {{"--version"}, 0, "sovane05-check 1."},
        {{"--frobnicate"}, 2, "sovane05-check: unknown argument '--frobnicate'\nTry 'sovane05-check --help'.\n"},
        {{"--size", "10x10", "--timeline", "x.png"}, 2, "sovane05-check: --size needs WIDTHxHEIGHT between 256 and 8192"},
        {{"--size", "800x600"}, 2, "sovane05-check: --size goes with --timeline\nTry 'sovane05-check --help'.\n"},
        {{"--data"}, 2, "sovane05-check: --data needs a value\nTry 'sovane05-check --help'.\n"},
        {{"--data", "no-such-folder"}, 1, "sovane05-check: no-such-folder: not a folder\n"},
    };
    TempDir folder;
    for (const Case& c : cases) {
        ProcessResult result = runCheck(c.arguments, folder.path());
        EXPECT_EQ(result.exitStatus, c.status) << c.arguments.front();
        const std::string& text = c.status == 0 ? result.out : result.err;
        EXPECT_EQ(text.substr(0, c.start.size()), c.start) << c.arguments.front();
    }
}
