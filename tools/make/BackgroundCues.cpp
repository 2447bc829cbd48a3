// Replacing the background program's cues, line by line.
#include "tools/make/BackgroundCues.h"

#include <cstdio>

namespace {

// The stock program's block of constants, from its comment to its last constant, in both
// stages; the vertex stage's lines that time the frame by them.
constexpr std::string_view kBlockStart = "// The show's tempo and timetable, from rules/ShowTimeline.h";
constexpr std::string_view kBlockLastLine = "const float kEnd = ";

struct LineChange {
    std::string_view stock;
    std::string_view made;
};

constexpr LineChange kVertexChanges[] = {
    {"    float chorus = smoothstep(kChorus - 0.25, kChorus + 0.35, time);", "    float chorus = warmAt(time);"},
    {"    float build = smoothstep(kChorus - 4.0 * kBar, kChorus, time) * (1.0 - chorus);",
     "    float build = buildAt(time) * (1.0 - chorus);"},
    {"    float beat = fract(time / kBeat);", "    float beat = fract((time - kDownbeat) / kBeat);"},
    {"    float bar = fract(time / kBar);", "    float bar = fract((time - kDownbeat) / kBar);"},
    {"    float flash = time >= kChorus ? exp(-(time - kChorus) * 4.0) : 0.0;", "    float flash = flashAt(time);"},
};

// The cue functions the vertex stage's changed lines call. Each photo window warms the colours
// as the stock chorus does at 45 s, and they cool again over the 0.6 s after it; the build
// rises over the four bars before each window and the flash fires at its start.
constexpr std::string_view kCueFunctions = R"(
float warmAt(float time)
{
    float warm = 0.0;
    for (int i = 0; i < kWarmCount; ++i)
        warm = max(warm, smoothstep(kWarm[i].x - 0.25, kWarm[i].x + 0.35, time) *
                             (1.0 - smoothstep(kWarm[i].y, kWarm[i].y + 0.6, time)));
    return warm;
}

float buildAt(float time)
{
    float build = 0.0;
    for (int i = 0; i < kWarmCount; ++i)
        build = max(build, smoothstep(kWarm[i].x - 4.0 * kBar, kWarm[i].x, time) * (1.0 - step(kWarm[i].x + 0.35, time)));
    return build;
}

float flashAt(float time)
{
    float flash = 0.0;
    for (int i = 0; i < kWarmCount; ++i)
        flash = max(flash, time >= kWarm[i].x ? exp(-(time - kWarm[i].x) * 4.0) : 0.0);
    return flash;
}
)";

std::string constantsBlock(std::string_view stage, const BackgroundCues& cues)
{
    std::string block =
        "// This show's tempo and cues, written by sovane05-make from its song: the seconds of a beat\n"
        "// and of a bar, the first downbeat, where the music ends, and the photo scenes' windows, under\n"
        "// which the background builds up, flashes and turns warm.";
    if (stage == "white.frag") {
        block = "// This show's tempo, written by sovane05-make from its song; white.vert times the frame by it\n"
                "// and by the song's cues.";
    }
    block += "\nconst float kBeat = 60.0 / " + floatLiteral(cues.beatsPerMinute) + ";\nconst float kBar = 4.0 * kBeat;";
    if (stage == "white.frag")
        return block;
    block += "\nconst float kDownbeat = " + floatLiteral(cues.firstDownbeat) + ";";
    block += "\nconst float kEnd = " + floatLiteral(cues.end) + ";";
    // GLSL has no empty array: a show without a photo scene keeps one window that never comes.
    std::size_t count = cues.warmWindows.size();
    std::string windows;
    for (const auto& [start, end] : cues.warmWindows)
        windows += std::string(windows.empty() ? "" : ", ") + "vec2(" + floatLiteral(start) + ", " + floatLiteral(end) + ")";
    if (windows.empty())
        windows = "vec2(-1.0, -1.0)";
    std::string size = std::to_string(count == 0 ? 1 : count);
    block += "\nconst int kWarmCount = " + std::to_string(count) + ";";
    block += "\nconst vec2 kWarm[" + size + "] = vec2[" + size + "](" + windows + ");";
    block += "\n";
    block += kCueFunctions;
    // The stock block goes on with a constant of its own after kEnd.
    block.pop_back();
    return block;
}

}  // namespace

std::string floatLiteral(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string literal = text;
    while (literal.back() == '0' && literal[literal.size() - 2] != '.')
        literal.pop_back();
    return literal;
}

std::optional<std::string> backgroundWithCues(std::string_view stock, std::string_view stage,
                                              const BackgroundCues& cues, std::string& missing)
{
    std::size_t blockStart = stock.find(kBlockStart);
    std::size_t lastLine = blockStart == std::string_view::npos ? blockStart : stock.find(kBlockLastLine, blockStart);
    std::size_t blockEnd = lastLine == std::string_view::npos ? lastLine : stock.find('\n', lastLine);
    if (blockEnd == std::string_view::npos) {
        missing = std::string(blockStart == std::string_view::npos ? kBlockStart : kBlockLastLine);
        return std::nullopt;
    }
    std::string made(stock.substr(0, blockStart));
    made += constantsBlock(stage, cues);
    made += stock.substr(blockEnd);
    if (stage != "white.vert")
        return made;
    for (const LineChange& change : kVertexChanges) {
        std::size_t at = made.find(std::string(change.stock) + "\n");
        if (at == std::string::npos) {
            missing = std::string(change.stock);
            return std::nullopt;
        }
        made.replace(at, change.stock.size(), change.made);
    }
    return made;
}
