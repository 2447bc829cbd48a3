// Drawing the timeline picture.
#include "tools/check/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "rules/ShowTimeline.h"
#include "tools/lib/glyphs/GlyphRaster.h"
#include "tools/lib/glyphs/TextShaper.h"

namespace {

constexpr Pixel kBackground = {20, 20, 28, 255};
constexpr Pixel kLane = {27, 27, 38, 255};
constexpr Pixel kBarLine = {52, 52, 70, 255};
constexpr Pixel kPhraseLine = {84, 84, 112, 255};
constexpr Pixel kWavePeak = {64, 100, 140, 255};
constexpr Pixel kWaveLoudness = {140, 200, 240, 255};
constexpr Pixel kLyricsScene = {52, 140, 128, 255};
constexpr Pixel kPhotoScene = {196, 142, 56, 255};
constexpr Pixel kUnused = {52, 52, 64, 255};
constexpr Pixel kFault = {226, 48, 48, 255};
constexpr Pixel kCrowd = {226, 48, 48, 80};
constexpr Pixel kLabel = {200, 200, 214, 255};

// The columns a label takes, 0 when it cannot be drawn.
int textWidth(FontChain* font, int pixels, const std::string& text)
{
    if (font == nullptr || pixels < 6 || font->setPixelSize(pixels))
        return 0;
    // Shaping alone gives the advance; drawing the glyphs is left to drawText.
    return (shapeLine(*font, text).advance + 32) >> 6;
}

void drawText(Canvas& canvas, FontChain* font, int pixels, const std::string& text, int x, int baseline, Pixel colour)
{
    if (font == nullptr || pixels < 6 || font->setPixelSize(pixels))
        return;
    LineImage run = drawLine(*font, text);
    for (const GlyphImage& glyph : run.glyphs) {
        for (int y = 0; y < glyph.height; ++y) {
            for (int column = 0; column < glyph.width; ++column) {
                uint8_t coverage = glyph.coverage[size_t(y) * size_t(glyph.width) + size_t(column)];
                int targetX = x + glyph.left + column;
                int targetY = baseline + glyph.top + y;
                if (coverage > 0)
                    canvas.fill(targetX, targetY, targetX + 1, targetY + 1,
                                {colour.r, colour.g, colour.b, uint8_t(coverage * colour.a / 255)});
            }
        }
    }
}

void drawWaveform(Canvas& canvas, const TimelineLayout& layout, const DecodedMusic& music)
{
    int middle = (layout.waveTop + layout.waveBottom) / 2;
    double halfHeight = (layout.waveBottom - layout.waveTop) / 2.0;
    int64_t frames = music.frames();
    for (int x = layout.axisLeft; x < layout.axisRight; ++x) {
        double from = double(x - layout.axisLeft) / (layout.axisRight - layout.axisLeft) * layout.duration;
        double to = double(x + 1 - layout.axisLeft) / (layout.axisRight - layout.axisLeft) * layout.duration;
        int64_t first = std::min<int64_t>(frames, int64_t(from * DecodedMusic::kSampleRate));
        int64_t last = std::min<int64_t>(frames, int64_t(to * DecodedMusic::kSampleRate));
        if (first >= last)
            continue;
        double peak = 0.0;
        double power = 0.0;
        for (int64_t frame = first; frame < last; ++frame) {
            double value = (music.samples[size_t(frame) * 2] + music.samples[size_t(frame) * 2 + 1]) / 65536.0;
            peak = std::max(peak, std::abs(value));
            power += value * value;
        }
        double loudness = std::sqrt(power / double(last - first));
        int peakRows = int(std::lround(peak * halfHeight));
        int loudRows = int(std::lround(loudness * halfHeight));
        canvas.fill(x, middle - peakRows, x + 1, middle + peakRows + 1, kWavePeak);
        canvas.fill(x, middle - loudRows, x + 1, middle + loudRows + 1, kWaveLoudness);
    }
}

// A label beside the line at column `x`: to its right, or to its left where the picture ends.
void drawLabel(Canvas& canvas, const TimelineLayout& layout, FontChain* font, int pixels, const std::string& text, int x,
               int baseline)
{
    int width = textWidth(font, pixels, text);
    int left = x + 3 + width <= layout.width ? x + 3 : x - 3 - width;
    drawText(canvas, font, pixels, text, left, baseline, kLabel);
}

// Bar lines from the first downbeat, a phrase line every four bars, numbered as often as the
// numbers fit; seconds along the bottom, as often as they fit.
void drawGrid(Canvas& canvas, const TimelineLayout& layout, const BarGrid& grid, FontChain* font)
{
    int bottom = layout.rowTop(layout.rowCount);
    double pixelsPerSecond = (layout.axisRight - layout.axisLeft) / layout.duration;
    int labelPixels = layout.waveTop / 2;
    double spacing = std::max(3 * labelPixels, 24);
    int numberedEvery = int(labelStep(pixelsPerSecond * grid.secondsPerBar, {4, 8, 16, 32, 64}, spacing));
    // Bars before the first downbeat are numbered from 0 down, as a pickup is.
    int firstBar = -int(std::floor(grid.firstDownbeat / grid.secondsPerBar));
    for (int bar = firstBar; grid.firstDownbeat + bar * grid.secondsPerBar <= layout.duration; ++bar) {
        int x = layout.column(grid.firstDownbeat + bar * grid.secondsPerBar);
        bool phrase = bar % 4 == 0;
        canvas.fill(x, layout.waveTop, x + 1, bottom, phrase ? kPhraseLine : kBarLine);
        if (bar >= 0 && bar % numberedEvery == 0)
            drawLabel(canvas, layout, font, labelPixels, std::to_string(bar + 1), x, layout.waveTop - 6);
    }
    int secondsEvery = int(labelStep(pixelsPerSecond, {5, 10, 15, 30, 60}, 4.5 * labelPixels));
    for (int second = 0; second <= int(layout.duration); second += secondsEvery) {
        int x = layout.column(second);
        canvas.fill(x, bottom, x + 1, bottom + 5, kLabel);
        drawLabel(canvas, layout, font, labelPixels, std::to_string(second) + " s", x, bottom + layout.waveTop - 4);
    }
}

// A scene's window on its kind's row, labelled with its kind and window where that fits inside
// it, else with its place in the list, else not at all.
void drawScene(Canvas& canvas, const TimelineLayout& layout, FontChain* font, int index, const ListedScene& scene)
{
    auto [first, last] = layout.barColumns(scene.start, scene.end);
    if (first == last)
        return;
    bool lyrics = scene.kind == SceneKind::Lyrics;
    int top = layout.sceneTop + (lyrics ? 0 : 1) * layout.sceneRowHeight;
    canvas.fill(first, top + 1, last, top + layout.sceneRowHeight - 1, lyrics ? kLyricsScene : kPhotoScene);
    char full[96];
    std::snprintf(full, sizeof full, "%s %g–%g s", sceneKindName(scene.kind), scene.start, scene.end);
    int pixels = layout.sceneRowHeight * 3 / 5;
    for (const std::string& label : {std::string(full), std::to_string(index + 1)}) {
        int width = textWidth(font, pixels, label);
        if (width > 0 && width + 10 <= last - first) {
            drawText(canvas, font, pixels, label, first + 6, top + layout.sceneRowHeight - 1 - layout.sceneRowHeight / 4,
                     kBackground);
            return;
        }
    }
}

void drawLine(Canvas& canvas, const TimelineLayout& layout, FontChain* font, int row, const std::string& name,
              const TimedLine& line, const Canvas* thumbnail)
{
    int top = layout.rowTop(row);
    int bottom = top + layout.rowHeight;
    bool fault = !line.unused && !line.shows;
    Pixel nameColour = line.unused ? kUnused : fault ? kFault : kLabel;
    if (fault)
        canvas.fill(0, top, layout.axisLeft - 4, bottom, {kFault.r, kFault.g, kFault.b, 70});
    drawText(canvas, font, std::min(layout.rowHeight - 2, 16), name, 4, bottom - std::max(1, layout.rowHeight / 5),
             nameColour);
    if (line.unused)
        return;
    auto [first, last] = layout.barColumns(line.start, line.end);
    if (first == last)
        return;
    int inset = layout.rowHeight >= 4 ? 1 : 0;
    canvas.fill(first, top + inset, last, bottom - inset, fault ? kFault : kTimelineBar);
    if (thumbnail == nullptr || thumbnail->height == 0)
        return;
    int rows = layout.rowHeight - 2 * inset;
    int columns = std::max(1, int(std::lround(double(thumbnail->width) * rows / thumbnail->height)));
    canvas.draw(scaled(*thumbnail, columns, rows), first + 1, top + inset, last);
}

}  // namespace

int TimelineLayout::column(double seconds) const
{
    return axisLeft + int(std::lround(seconds / duration * (axisRight - axisLeft)));
}

std::pair<int, int> TimelineLayout::barColumns(double start, double end) const
{
    double first = std::max(start, 0.0);
    double last = std::min(end, duration);
    if (!(first < last))
        return {0, 0};
    int left = column(first);
    return {left, std::max(column(last), left + 1)};
}

namespace {

// The number after `prefix` on the line that starts with it, up to its ';'.
std::optional<double> constantAfter(std::string_view source, std::string_view prefix)
{
    std::size_t at = source.find(prefix);
    while (at != std::string_view::npos && at > 0 && source[at - 1] != '\n')
        at = source.find(prefix, at + 1);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = source.substr(at + prefix.size());
    std::size_t end = rest.find(';');
    if (end == std::string_view::npos)
        return std::nullopt;
    std::string number(rest.substr(0, end));
    char* parsed = nullptr;
    double value = std::strtod(number.c_str(), &parsed);
    if (parsed == number.c_str() || *parsed != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

BarGrid barGridOf(std::string_view backgroundSource)
{
    BarGrid grid;
    std::optional<double> tempo = constantAfter(backgroundSource, "const float kBeat = 60.0 / ");
    if (tempo && *tempo > 0.0)
        grid.secondsPerBar = 60.0 / *tempo * 4.0;
    grid.firstDownbeat = constantAfter(backgroundSource, "const float kDownbeat = ").value_or(0.0);
    return grid;
}

double labelStep(double pixelsPerUnit, const std::vector<double>& steps, double spacing)
{
    for (double step : steps) {
        if (step * pixelsPerUnit >= spacing)
            return step;
    }
    return steps.back();
}

std::vector<int> linesInUse(const TimingCheck& timing)
{
    std::vector<int> lines;
    for (size_t line = 0; line < timing.lines.size(); ++line) {
        if (!timing.lines[line].unused)
            lines.push_back(int(line));
    }
    return lines;
}

TimelineLayout layoutTimeline(int width, int height, double duration, int rowCount)
{
    TimelineLayout layout;
    layout.width = width;
    layout.height = height;
    layout.duration = duration;
    layout.axisLeft = std::clamp(width / 30, 24, 64);
    layout.axisRight = width - std::clamp(width / 80, 8, 24);
    int labels = std::clamp(height / 50, 12, 28);
    layout.waveTop = labels;
    layout.waveBottom = layout.waveTop + height / 10;
    layout.sceneRowHeight = std::max(4, height / 48);
    layout.sceneTop = layout.waveBottom + layout.sceneRowHeight / 2;
    layout.rowsTop = layout.sceneTop + 2 * layout.sceneRowHeight + layout.sceneRowHeight / 2;
    layout.rowCount = rowCount;
    layout.rowHeight = std::max(1, (height - labels - layout.rowsTop) / std::max(rowCount, 1));
    return layout;
}

Canvas drawTimeline(const TimelineContent& content, const TimelineLayout& layout, FontChain* font)
{
    Canvas canvas(layout.width, layout.height, kBackground);
    for (int row = 1; row < layout.rowCount; row += 2)
        canvas.fill(0, layout.rowTop(row), layout.width, layout.rowTop(row + 1), kLane);
    drawGrid(canvas, layout, content.grid, font);
    if (content.music != nullptr)
        drawWaveform(canvas, layout, *content.music);
    for (size_t index = 0; index < content.scenes.size(); ++index)
        drawScene(canvas, layout, font, int(index), content.scenes[index]);
    const TimingCheck& timing = *content.timing;
    std::vector<int> lines = linesInUse(timing);
    for (int row = 0; row < int(lines.size()) && row < layout.rowCount; ++row) {
        size_t line = size_t(lines[size_t(row)]);
        drawLine(canvas, layout, font, row, timing.name(int(line)), timing.lines[line],
                 line < content.thumbnails.size() ? content.thumbnails[line] : nullptr);
    }
    for (const Crowd& crowd : content.timing->crowds) {
        auto [first, last] = layout.barColumns(crowd.from, crowd.to);
        canvas.fill(first, layout.sceneTop, last, layout.rowTop(layout.rowCount), kCrowd);
        canvas.fill(first, layout.sceneTop + 2 * layout.sceneRowHeight, last,
                    layout.sceneTop + 2 * layout.sceneRowHeight + std::max(2, layout.sceneRowHeight / 4), kFault);
    }
    return canvas;
}
