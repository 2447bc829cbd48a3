// Itemising a line (levels, scripts, fonts per cluster), shaping each item with the whole line as
// context so joining carries across item edges, and laying the items out in visual order.
#include "tools/lib/glyphs/TextShaper.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include <fribidi.h>
#include <hb.h>
#include <unicode/uchar.h>

#include "tools/lib/unicode/TextBoundaries.h"
#include "tools/lib/base/Utf8.h"

namespace {

struct Item {
    std::size_t first = 0;  // code points [first, last)
    std::size_t last = 0;
    int level = 0;
    hb_script_t script = HB_SCRIPT_COMMON;
    std::size_t face = 0;
    std::vector<ShapedGlyph> glyphs;  // visual order, x relative to the item's start
    int advance = 0;
};

bool ignorable(char32_t codePoint)
{
    return u_hasBinaryProperty(UChar32(codePoint), UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
}

bool neutralScript(hb_script_t script)
{
    return script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN;
}

// Embedding levels per code point, after the rule that puts trailing spaces at the paragraph's
// level; and the paragraph's direction.
std::vector<int> bidiLevels(const std::vector<CodePoint>& points, bool& rightToLeft)
{
    auto count = FriBidiStrIndex(points.size());
    std::vector<FriBidiChar> characters(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        characters[i] = points[i].value;
    std::vector<FriBidiCharType> types(points.size());
    std::vector<FriBidiBracketType> brackets(points.size());
    std::vector<FriBidiLevel> levels(points.size());
    fribidi_get_bidi_types(characters.data(), count, types.data());
    fribidi_get_bracket_types(characters.data(), count, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    // Either call returns 0 when it runs out of memory; the line is then drawn left to right.
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction, levels.data()) == 0 ||
        fribidi_reorder_line(FRIBIDI_FLAGS_DEFAULT, types.data(), count, 0, direction, levels.data(), nullptr,
                             nullptr) == 0) {
        std::fill(levels.begin(), levels.end(), FriBidiLevel(0));
        direction = FRIBIDI_PAR_LTR;
    }
    rightToLeft = FRIBIDI_IS_RTL(direction);
    return {levels.begin(), levels.end()};
}

// Scripts per code point, the neutral ones (spaces, digits, marks) taking their neighbours'.
std::vector<hb_script_t> scripts(const std::vector<CodePoint>& points)
{
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    std::vector<hb_script_t> found(points.size());
    std::optional<hb_script_t> last;
    for (std::size_t i = 0; i < points.size(); ++i) {
        found[i] = hb_unicode_script(unicode, points[i].value);
        if (!neutralScript(found[i]))
            last = found[i];
        else if (last)
            found[i] = *last;
    }
    // Before the first real script, or in a line with none, neutral characters take one
    // script, so a digit and its combining keycap stay in one run.
    auto firstReal = std::find_if(found.begin(), found.end(), [](hb_script_t s) { return !neutralScript(s); });
    std::fill(found.begin(), firstReal, firstReal != found.end() ? *firstReal : HB_SCRIPT_COMMON);
    return found;
}

bool covers(const FontChain& fonts, std::size_t face, const std::vector<CodePoint>& points, std::size_t first,
            std::size_t last)
{
    for (std::size_t i = first; i < last; ++i)
        if (!ignorable(points[i].value) && !fonts.hasCharacter(face, points[i].value))
            return false;
    return true;
}

// Drawn as an emoji rather than as text: asked for with U+FE0F, or by default (Emoji_Presentation)
// unless U+FE0E asks for text.
bool emojiPresentation(const std::vector<CodePoint>& points, std::size_t first, std::size_t last)
{
    bool asked = false, text = false, byDefault = false;
    for (std::size_t i = first; i < last; ++i) {
        asked = asked || points[i].value == 0xFE0F;
        text = text || points[i].value == 0xFE0E;
        byDefault = byDefault || u_hasBinaryProperty(UChar32(points[i].value), UCHAR_EMOJI_PRESENTATION);
    }
    return asked || (byDefault && !text);
}

bool neutral(const std::vector<CodePoint>& points, std::size_t first, std::size_t last)
{
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    for (std::size_t i = first; i < last; ++i)
        if (!neutralScript(hb_unicode_script(unicode, points[i].value)))
            return false;
    return !emojiPresentation(points, first, last);
}

// Code points [first, last): the first face with all of them, colour faces first for emoji and
// last for text; spaces and punctuation keep the face before them where it has them, unless
// that is a colour face, whose spaces are as wide as its emoji and whose symbols are pictures.
std::optional<std::size_t> faceFor(const FontChain& fonts, const std::vector<CodePoint>& points, std::size_t first,
                                   std::size_t last, std::optional<std::size_t> previous)
{
    if (previous && !fonts.isColour(*previous) && neutral(points, first, last) &&
        covers(fonts, *previous, points, first, last))
        return previous;
    // Emoji look in colour faces first, text in the others first: a colour font given in front of
    // the chain must not turn digits and letters into pictures.
    bool colourFirst = emojiPresentation(points, first, last);
    for (bool colour : {colourFirst, !colourFirst})
        for (std::size_t face = 0; face < fonts.size(); ++face)
            if (fonts.isColour(face) == colour && covers(fonts, face, points, first, last))
                return face;
    return std::nullopt;
}

void noteUncovered(const FontChain& fonts, std::string_view utf8, const CodePoint& point, ShapedLine& line)
{
    bool anywhere = ignorable(point.value);
    for (std::size_t face = 0; face < fonts.size() && !anywhere; ++face)
        anywhere = fonts.hasCharacter(face, point.value);
    bool known = std::any_of(line.uncovered.begin(), line.uncovered.end(),
                             [&](const UncoveredCharacter& u) { return u.codePoint == point.value; });
    if (!anywhere && !known)
        line.uncovered.push_back({point.value, std::string(utf8.substr(point.begin, point.end - point.begin))});
}

// The code points whose bytes lie in [begin, end), as indices.
std::pair<std::size_t, std::size_t> pointRange(const std::vector<CodePoint>& points, std::size_t begin,
                                               std::size_t end)
{
    auto starts = [](const CodePoint& point, std::size_t byte) { return point.begin < byte; };
    auto first = std::lower_bound(points.begin(), points.end(), begin, starts);
    auto last = std::lower_bound(first, points.end(), end, starts);
    return {std::size_t(first - points.begin()), std::size_t(last - points.begin())};
}

// The face of each code point. A word takes the first face with all of it, so its letters join
// and match; a word no one face has takes a face per grapheme cluster, never splitting one.
std::vector<std::size_t> chooseFaces(const FontChain& fonts, std::string_view utf8,
                                     const std::vector<CodePoint>& points, ShapedLine& line)
{
    std::vector<std::size_t> clusters = graphemeBoundaries(utf8);
    std::vector<std::size_t> words = wordBoundaries(utf8);
    std::vector<std::size_t> faces(points.size(), 0);
    std::optional<std::size_t> previous;
    for (std::size_t w = 1; w < words.size(); ++w) {
        auto [wordFirst, wordLast] = pointRange(points, words[w - 1], words[w]);
        if (std::optional<std::size_t> face = faceFor(fonts, points, wordFirst, wordLast, previous)) {
            std::fill(faces.begin() + long(wordFirst), faces.begin() + long(wordLast), *face);
            previous = face;
            continue;
        }
        auto cluster = std::upper_bound(clusters.begin(), clusters.end(), words[w - 1]);
        for (std::size_t begin = words[w - 1]; begin < words[w] && cluster != clusters.end(); begin = *cluster++) {
            auto [first, last] = pointRange(points, begin, *cluster);
            std::optional<std::size_t> face = faceFor(fonts, points, first, last, previous);
            if (!face) {
                for (std::size_t i = first; i < last; ++i)
                    noteUncovered(fonts, utf8, points[i], line);
                face = fonts.hasCharacter(previous.value_or(0), points[first].value) ? previous.value_or(0) : 0;
            }
            std::fill(faces.begin() + long(first), faces.begin() + long(last), *face);
            previous = face;
        }
    }
    return faces;
}

std::vector<Item> itemise(const std::vector<int>& levels, const std::vector<hb_script_t>& itemScripts,
                          const std::vector<std::size_t>& faces)
{
    std::vector<Item> items;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (items.empty() || items.back().level != levels[i] || items.back().script != itemScripts[i] ||
            items.back().face != faces[i])
            items.push_back({i, i, levels[i], itemScripts[i], faces[i], {}, 0});
        items.back().last = i + 1;
    }
    return items;
}

void shapeItem(const FontChain& fonts, std::string_view utf8, const std::vector<CodePoint>& points, Item& item)
{
    std::unique_ptr<hb_buffer_t, decltype(&hb_buffer_destroy)> buffer(hb_buffer_create(), hb_buffer_destroy);
    std::size_t begin = points[item.first].begin;
    std::size_t end = points[item.last - 1].end;
    hb_buffer_add_utf8(buffer.get(), utf8.data(), int(utf8.size()), unsigned(begin), int(end - begin));
    hb_buffer_set_direction(buffer.get(), item.level % 2 != 0 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer.get(), item.script);
    // Latin, Greek and Cyrillic are set without the optional ligatures (fi, fl), as the lyric
    // images always were; scripts whose fonts need theirs keep them.
    hb_feature_t features[2];
    hb_feature_from_string("-liga", -1, &features[0]);
    hb_feature_from_string("-clig", -1, &features[1]);
    bool plain = item.script == HB_SCRIPT_LATIN || item.script == HB_SCRIPT_GREEK || item.script == HB_SCRIPT_CYRILLIC;
    hb_shape(fonts.shapingFont(item.face), buffer.get(), features, plain ? 2 : 0);

    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
    std::vector<std::size_t> clusterStarts;
    for (unsigned i = 0; i < count; ++i)
        clusterStarts.push_back(infos[i].cluster);
    std::sort(clusterStarts.begin(), clusterStarts.end());
    double scale = fonts.scale(item.face);
    auto scaled = [&](hb_position_t value) { return int(std::lround(value * scale)); };
    int pen = 0;
    for (unsigned i = 0; i < count; ++i) {
        auto next = std::upper_bound(clusterStarts.begin(), clusterStarts.end(), std::size_t(infos[i].cluster));
        std::size_t clusterEnd = next == clusterStarts.end() ? end : *next;
        // A character no face has: no glyph and no room, as if it were not there.
        if (infos[i].codepoint != 0)
            item.glyphs.push_back({item.face, infos[i].codepoint, infos[i].cluster, clusterEnd,
                                   pen + scaled(positions[i].x_offset), scaled(positions[i].y_offset),
                                   scaled(positions[i].x_advance)});
        if (infos[i].codepoint != 0)
            pen += scaled(positions[i].x_advance);
    }
    item.advance = pen;
}

// Rule L2 of the bidirectional algorithm over whole items: from the highest level down to the
// lowest odd one, every run of items at that level or above is reversed.
void orderVisually(std::vector<Item>& items)
{
    int highest = 0, lowestOdd = 127;
    for (const Item& item : items) {
        highest = std::max(highest, item.level);
        if (item.level % 2 != 0)
            lowestOdd = std::min(lowestOdd, item.level);
    }
    for (int level = highest; level >= lowestOdd; --level) {
        for (std::size_t i = 0; i < items.size();) {
            if (items[i].level < level) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < items.size() && items[j].level >= level)
                ++j;
            std::reverse(items.begin() + long(i), items.begin() + long(j));
            i = j;
        }
    }
}

}  // namespace

ShapedLine shapeLine(const FontChain& fonts, std::string_view utf8)
{
    ShapedLine line;
    std::optional<std::vector<CodePoint>> points = decodeUtf8(utf8);
    if (!points) {
        line.error = "the text is not valid UTF-8";
        return line;
    }
    if (points->empty() || fonts.size() == 0)
        return line;
    std::vector<int> levels = bidiLevels(*points, line.rightToLeft);
    std::vector<std::size_t> faces = chooseFaces(fonts, utf8, *points, line);
    std::vector<Item> items = itemise(levels, scripts(*points), faces);
    for (Item& item : items)
        shapeItem(fonts, utf8, *points, item);
    orderVisually(items);
    for (const Item& item : items) {
        for (ShapedGlyph glyph : item.glyphs) {
            glyph.x += line.advance;
            line.glyphs.push_back(glyph);
        }
        line.advance += item.advance;
        if (std::find(line.facesUsed.begin(), line.facesUsed.end(), item.face) == line.facesUsed.end() &&
            !item.glyphs.empty())
            line.facesUsed.push_back(item.face);
    }
    return line;
}

std::vector<UncoveredCharacter> uncoveredCharacters(const FontChain& fonts, std::string_view utf8)
{
    ShapedLine line;
    if (std::optional<std::vector<CodePoint>> points = decodeUtf8(utf8))
        for (const CodePoint& point : *points)
            noteUncovered(fonts, utf8, point, line);
    return line.uncovered;
}
