// Drawing the timeline picture.
#include "tools/check/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "rules/ShowTimeline.h"
#include "tools/lib/lyrics/TextRaster.h"

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

void drawText(Canvas& canvas, Font* font, int pixels, const std::string& text, int x, int baseline, Pixel colour)
{
    if (font == nullptr || pixels < 6 || !font->setPixelSize(pixels))
        return;
    GlyphRun run = font->layout(text);
    for (const PlacedGlyph& glyph : run.glyphs) {
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

void drawGrid(Canvas& canvas, const TimelineLayout& layout, Font* font)
{
    int bottom = layout.rowTop(kLyricLineCount);
    for (int bar = 0; bar * kSecondsPerBar <= layout.duration; ++bar) {
        int x = layout.column(bar * kSecondsPerBar);
        bool phrase = bar % 4 == 0;
        canvas.fill(x, layout.waveTop, x + 1, bottom, phrase ? kPhraseLine : kBarLine);
        if (phrase)
            drawText(canvas, font, layout.waveTop / 2, std::to_string(bar + 1), x + 3, layout.waveTop - 6, kLabel);
    }
    for (int second = 0; second <= int(layout.duration); second += 5) {
        int x = layout.column(second);
        canvas.fill(x, bottom, x + 1, bottom + 5, kLabel);
        drawText(canvas, font, layout.waveTop / 2, std::to_string(second) + " s", x + 3, bottom + layout.waveTop - 4,
                 kLabel);
    }
}

void drawScene(Canvas& canvas, const TimelineLayout& layout, Font* font, int row, double start, double end,
               Pixel colour, const char* name)
{
    auto [first, last] = layout.barColumns(start, end);
    int top = layout.sceneTop + row * layout.sceneRowHeight;
    canvas.fill(first, top + 1, last, top + layout.sceneRowHeight - 1, colour);
    char label[80];
    std::snprintf(label, sizeof label, "%s %g–%g s", name, start, end);
    drawText(canvas, font, layout.sceneRowHeight * 3 / 5, label, first + 6,
             top + layout.sceneRowHeight - 1 - layout.sceneRowHeight / 4, kBackground);
}

void drawLine(Canvas& canvas, const TimelineLayout& layout, Font* font, int index, const TimedLine& line,
              const Canvas* thumbnail)
{
    int top = layout.rowTop(index);
    int bottom = top + layout.rowHeight;
    bool fault = !line.unused && !line.shows;
    Pixel nameColour = line.unused ? kUnused : fault ? kFault : kLabel;
    if (fault)
        canvas.fill(0, top, layout.axisLeft - 4, bottom, {kFault.r, kFault.g, kFault.b, 70});
    drawText(canvas, font, std::min(layout.rowHeight - 2, 16), lineTextureName(index).data(), 4,
             bottom - std::max(1, layout.rowHeight / 5), nameColour);
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

TimelineLayout layoutTimeline(int width, int height, double duration)
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
    layout.rowHeight = std::max(1, (height - labels - layout.rowsTop) / kLyricLineCount);
    return layout;
}

Canvas drawTimeline(const TimelineContent& content, const TimelineLayout& layout, Font* font)
{
    Canvas canvas(layout.width, layout.height, kBackground);
    for (int line = 1; line < kLyricLineCount; line += 2)
        canvas.fill(0, layout.rowTop(line), layout.width, layout.rowTop(line + 1), kLane);
    drawGrid(canvas, layout, font);
    if (content.music != nullptr)
        drawWaveform(canvas, layout, *content.music);
    drawScene(canvas, layout, font, 0, kLyricsStart, kLyricsEnd, kLyricsScene, "Lyrics");
    drawScene(canvas, layout, font, 1, kPhotoStart, kPhotoEnd, kPhotoScene, "PhotoCompo");
    for (int line = 0; line < kLyricLineCount; ++line)
        drawLine(canvas, layout, font, line, content.timing->lines[size_t(line)], content.thumbnails[size_t(line)]);
    for (const Crowd& crowd : content.timing->crowds) {
        auto [first, last] = layout.barColumns(crowd.from, crowd.to);
        canvas.fill(first, layout.sceneTop, last, layout.rowTop(kLyricLineCount), kCrowd);
        canvas.fill(first, layout.sceneTop + 2 * layout.sceneRowHeight, last,
                    layout.sceneTop + 2 * layout.sceneRowHeight + std::max(2, layout.sceneRowHeight / 4), kFault);
    }
    return canvas;
}
