// Sizing and wrapping: the widths of candidate lines come from one shaping of the whole phrase
// (the advances of its clusters), so choosing the breaks costs no more shaping; each chosen line
// is then shaped on its own, as the bidirectional algorithm orders each line separately.
#include "tools/lib/lyrics/RowText.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "tools/lib/glyphs/TextShaper.h"
#include "tools/lib/unicode/TextBoundaries.h"

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

void takeMetrics(RowText& row, const LineImage& line)
{
    row.ascent = std::max(row.ascent, line.ascent);
    row.descent = std::max(row.descent, line.descent);
    if (row.error.empty())
        row.error = line.error;
}

// The phrase at one size, on one line.
void setOneLine(RowText& row, FontChain& fonts, const ShapedLine& shaped)
{
    row.lines.push_back(rasteriseLine(fonts, shaped));
    takeMetrics(row, row.lines.back());
}

// Each candidate line's width as its clusters' advances from the whole phrase's shaping, without
// its trailing spaces, and the margins.
class LineWidths {
public:
    LineWidths(std::string_view phrase, const ShapedLine& shaped, int margin) : text(phrase), margins(2 * margin)
    {
        std::vector<long long> advance(phrase.size() + 1, 0);
        for (const ShapedGlyph& glyph : shaped.glyphs)
            advance[glyph.byteBegin] += glyph.advance;
        before.assign(phrase.size() + 1, 0);
        for (std::size_t i = 0; i < phrase.size(); ++i)
            before[i + 1] = before[i] + advance[i];
    }

    int operator()(std::size_t begin, std::size_t end) const
    {
        end = trimmedEnd(begin, end);
        return int((before[end] - before[begin] + 63) / 64) + margins;
    }

    std::size_t trimmedEnd(std::size_t begin, std::size_t end) const
    {
        while (end > begin && isSpace(text[end - 1]))
            --end;
        return end;
    }

private:
    std::string_view text;
    int margins;
    std::vector<long long> before;  // 1/64 pixel, by byte offset
};

void centreOnZero(LineImage& line)
{
    PixelRect ink = inkBox(line, 0, SIZE_MAX);
    int shift = -(ink.left + ink.right) / 2;
    for (GlyphImage& glyph : line.glyphs)
        glyph.left += shift;
}

void wrap(RowText& row, FontChain& fonts, std::string_view phrase, const ShapedLine& shaped,
          const std::vector<std::pair<std::size_t, std::size_t>>& entries, int margin)
{
    LineWidths width(phrase, shaped, margin);
    std::vector<LineBreak> breaks = allowedRowBreaks(phrase, entries, width, kWidestRow);
    std::vector<std::size_t> cuts = chooseRowBreaks(breaks, width, kWidestRow);
    cuts.push_back(phrase.size());
    std::size_t begin = 0;
    for (std::size_t cut : cuts) {
        std::size_t end = width.trimmedEnd(begin, cut);
        LineImage line = drawLine(fonts, phrase.substr(begin, end - begin));
        for (GlyphImage& glyph : line.glyphs) {
            glyph.byteBegin += begin;
            glyph.byteEnd += begin;
        }
        centreOnZero(line);
        takeMetrics(row, line);
        row.lines.push_back(std::move(line));
        begin = cut;
    }
}

}  // namespace

RowText setRowText(FontChain& fonts, std::string_view phrase, const std::vector<std::pair<std::size_t, std::size_t>>& entries,
                   int margin)
{
    RowText row;
    ShapedLine shaped = shapeLine(fonts, phrase);
    row.uncovered = shaped.uncovered;
    LineImage whole = rasteriseLine(fonts, shaped);
    PixelRect ink = inkBox(whole, 0, phrase.size());
    int width = ink.width() + 2 * margin;
    if (!whole.error.empty() || width <= kWidestRow) {
        row.lines.push_back(std::move(whole));
        takeMetrics(row, row.lines.back());
        return row;
    }
    int smaller = kLyricPixels * kWidestRow / width;
    if (smaller >= kSmallestPixels) {
        row.pixels = smaller;
        if (std::optional<FontProblem> problem = fonts.setPixelSize(smaller))
            row.error = problem->path + ": " + problem->reason;
        else
            setOneLine(row, fonts, shapeLine(fonts, phrase));
        fonts.setPixelSize(kLyricPixels);
        return row;
    }
    wrap(row, fonts, phrase, shaped, entries, margin);
    return row;
}

LineImage stackLines(const RowText& row, int pitch)
{
    LineImage stacked;
    stacked.ascent = row.ascent;
    stacked.descent = row.descent;
    for (std::size_t i = 0; i < row.lines.size(); ++i) {
        stacked.advance = std::max(stacked.advance, row.lines[i].advance);
        for (GlyphImage glyph : row.lines[i].glyphs) {
            glyph.top += int(i) * pitch;
            stacked.glyphs.push_back(std::move(glyph));
        }
    }
    return stacked;
}

PixelRect inkBox(const LineImage& line, std::size_t begin, std::size_t end)
{
    PixelRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    std::optional<int> firstPen;
    for (const GlyphImage& glyph : line.glyphs) {
        if (glyph.byteBegin < begin || glyph.byteEnd > end)
            continue;
        if (!firstPen)
            firstPen = glyph.left;
        if (glyph.width == 0 || glyph.height == 0)
            continue;
        box.left = std::min(box.left, glyph.left);
        box.top = std::min(box.top, glyph.top);
        box.right = std::max(box.right, glyph.left + glyph.width);
        box.bottom = std::max(box.bottom, glyph.top + glyph.height);
    }
    if (box.left == INT_MAX)
        return {firstPen.value_or(0), 0, firstPen.value_or(0), 0};
    return box;
}
