// Lines of text to glyphs and pixels in every script: shaping checked against HarfBuzz and
// FreeType used directly (Arabic joined right to left, a Devanagari conjunct, Japanese), font
// fallback by whole clusters, colour emoji scaled to the line, fonts that cannot be used, the
// table of fonts and packages, and the stock lyrics, whose pixels must not change.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include "tests/support/TempDir.h"
#include "tools/lib/glyphs/FontPackages.h"
#include "tools/lib/glyphs/GlyphRaster.h"
#include "tools/lib/glyphs/TextShaper.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/base/Utf8.h"

namespace {

constexpr int kPixels = 64;
const std::string kNoto = "/usr/share/fonts/truetype/noto/";
const std::string kDejaVuBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const std::string kArabic = kNoto + "NotoSansArabic-Bold.ttf";
const std::string kDevanagari = kNoto + "NotoSansDevanagari-Bold.ttf";
const std::string kEmoji = kNoto + "NotoColorEmoji.ttf";
const std::string kCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";

// The fonts come from Debian packages that scripts/setup installs.
void requireFonts(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path << " is missing: run scripts/setup";
    }
}

// A glyph as HarfBuzz places it when asked directly, and its pixels as FreeType draws them there.
struct ReferenceGlyph {
    unsigned glyph = 0;
    unsigned cluster = 0;
    int x = 0;  // 1/64 pixel
    int y = 0;
};

// Shapes the whole text with one font, its direction and script guessed by HarfBuzz.
std::vector<ReferenceGlyph> referenceShape(FT_Face face, const std::string& text)
{
    hb_font_t* font = hb_ft_font_create_referenced(face);
    hb_ft_font_set_load_flags(font, FT_LOAD_DEFAULT);
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf8(buffer, text.data(), int(text.size()), 0, int(text.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font, buffer, nullptr, 0);
    unsigned count = 0;
    hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    std::vector<ReferenceGlyph> glyphs;
    int pen = 0;
    for (unsigned i = 0; i < count; ++i) {
        glyphs.push_back({infos[i].codepoint, infos[i].cluster, pen + positions[i].x_offset, positions[i].y_offset});
        pen += positions[i].x_advance;
    }
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    return glyphs;
}

// Coverage painted on a canvas large enough for any test line, origin at (200, 200).
struct Canvas {
    static constexpr int kSize = 1400;
    std::vector<uint8_t> values = std::vector<uint8_t>(std::size_t(kSize) * kSize, 0);
    void paint(int left, int top, int width, int height, const uint8_t* coverage)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t& value = values[std::size_t(top + 200 + y) * kSize + left + 200 + x];
                value = std::max(value, coverage[std::size_t(y) * width + x]);
            }
    }
    int differences(const Canvas& other) const
    {
        int count = 0;
        for (std::size_t i = 0; i < values.size(); ++i)
            count += values[i] != other.values[i];
        return count;
    }
    int inked() const { return int(std::count_if(values.begin(), values.end(), [](uint8_t v) { return v > 0; })); }
};

Canvas referenceCanvas(FT_Face face, const std::vector<ReferenceGlyph>& glyphs)
{
    Canvas canvas;
    for (const ReferenceGlyph& glyph : glyphs) {
        EXPECT_EQ(FT_Load_Glyph(face, glyph.glyph, FT_LOAD_DEFAULT | FT_LOAD_RENDER), 0);
        FT_GlyphSlot slot = face->glyph;
        canvas.paint(((glyph.x + 32) >> 6) + slot->bitmap_left, -((glyph.y + 32) >> 6) - slot->bitmap_top,
                     int(slot->bitmap.width), int(slot->bitmap.rows), slot->bitmap.buffer);
    }
    return canvas;
}

Canvas lineCanvas(const LineImage& line)
{
    Canvas canvas;
    for (const GlyphImage& glyph : line.glyphs)
        canvas.paint(glyph.left, glyph.top, glyph.width, glyph.height, glyph.coverage.data());
    return canvas;
}

struct FreeTypeFace {
    explicit FreeTypeFace(const std::string& path, int pixels)
    {
        FT_Init_FreeType(&library);
        EXPECT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0) << path;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    }
    ~FreeTypeFace()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

}  // namespace

TEST(TextShaping, ComplexScriptsAreShapedAndDrawnAsHarfBuzzAndFreeTypeDoThem)
{
    requireFonts({kDejaVuBold, kArabic, kDevanagari, kCjk});
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> fonts;
        std::size_t face;  // the reference's font in the chain, which must draw every cluster
        bool rightToLeft;
        bool joined;    // every letter drawn in a contextual form, not its isolated one
        bool conjunct;  // fewer glyphs than characters
    };
    const Case cases[] = {
        // As with --font NotoSansArabic-Bold.ttf in front of the default chain.
        {"an Arabic word", "كتبت", {kArabic, kDejaVuBold}, 0, true, true, false},
        {"a Devanagari conjunct", "क्षत्रिय", {kDejaVuBold, kDevanagari}, 1, false, false, true},
        {"a Japanese line", "夜空に光る星、ひとつ", {kDejaVuBold, kCjk}, 1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string& font = c.fonts[c.face];
        FontChain chain(c.fonts);
        ASSERT_TRUE(chain.problems().empty());
        ASSERT_FALSE(chain.setPixelSize(kPixels));
        ShapedLine shaped = shapeLine(chain, c.text);
        EXPECT_EQ(shaped.rightToLeft, c.rightToLeft);
        EXPECT_TRUE(shaped.uncovered.empty());

        FreeTypeFace reference(font, kPixels);
        std::vector<ReferenceGlyph> expected = referenceShape(reference.face, c.text);
        ASSERT_EQ(shaped.glyphs.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(shaped.glyphs[i].face, c.face);
            EXPECT_EQ(shaped.glyphs[i].glyph, expected[i].glyph) << i;
            EXPECT_EQ(shaped.glyphs[i].byteBegin, expected[i].cluster) << i;
            EXPECT_EQ(shaped.glyphs[i].x, expected[i].x) << i;
            EXPECT_EQ(shaped.glyphs[i].y, expected[i].y) << i;
        }
        LineImage line = rasteriseLine(chain, shaped);
        EXPECT_EQ(line.error, "");
        Canvas drawn = lineCanvas(line);
        EXPECT_GT(drawn.inked(), 500);
        EXPECT_EQ(drawn.differences(referenceCanvas(reference.face, expected)), 0);

        std::size_t characters = 0;
        for (unsigned char byte : c.text)
            characters += (byte & 0xC0) != 0x80;
        if (c.conjunct) {
            EXPECT_LT(shaped.glyphs.size(), characters);
        }
        if (c.rightToLeft) {
            // The first character is drawn rightmost, the last leftmost.
            EXPECT_EQ(shaped.glyphs.back().byteBegin, 0u);
            EXPECT_EQ(shaped.glyphs.front().byteEnd, c.text.size());
        }
        if (c.joined) {
            hb_font_t* shapingFont = chain.shapingFont(c.face);
            for (const ShapedGlyph& glyph : shaped.glyphs) {
                hb_codepoint_t isolated = 0;
                std::string letter = c.text.substr(glyph.byteBegin, glyph.byteEnd - glyph.byteBegin);
                hb_buffer_t* one = hb_buffer_create();
                hb_buffer_add_utf8(one, letter.data(), int(letter.size()), 0, -1);
                unsigned length = 0;
                hb_codepoint_t codePoint = hb_buffer_get_glyph_infos(one, &length)[0].codepoint;
                hb_buffer_destroy(one);
                ASSERT_TRUE(hb_font_get_nominal_glyph(shapingFont, codePoint, &isolated));
                EXPECT_NE(glyph.glyph, isolated) << "the letter at byte " << glyph.byteBegin << " is not joined";
            }
        }
    }
}

TEST(TextShaping, MixedLinesRunInTheirOwnDirectionsAndTakeWholeClustersFromOneFont)
{
    requireFonts({kDejaVuBold, kArabic, kCjk, kEmoji});
    // Which face draws the cluster starting at each listed byte.
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> fonts;
        std::map<std::size_t, std::size_t> faceAt;
        std::vector<std::size_t> leftToRight;  // cluster starts in the order they are drawn
        bool rightToLeft = false;
    };
    const std::string arabicWord = "سلام";  // 8 bytes
    const Case cases[] = {
        {"Latin, then Chinese", "Hi 世界", {kDejaVuBold, kCjk}, {{0, 0}, {2, 0}, {3, 1}, {6, 1}}, {0, 1, 2, 3, 6}},
        // The space after the Chinese stays with the Chinese font, which has it.
        {"Chinese, then Latin", "世界 Hi", {kDejaVuBold, kCjk}, {{0, 1}, {6, 1}, {7, 0}}, {0, 3, 6, 7, 8}},
        // A keycap is one cluster: the digit goes to the emoji font with its selector and cap,
        // though the first font has a digit.
        {"a keycap", "1\uFE0F\u20E3", {kDejaVuBold, kEmoji}, {{0, 1}}, {0}},
        // An emoji is drawn in colour; the space after it and a heart without a selector are text.
        {"emoji and text", "\U0001F600 \u2764", {kDejaVuBold, kEmoji}, {{0, 1}, {4, 0}, {5, 0}}, {0, 4, 5}},
        // A colour font given in front of the chain draws the emoji only, never digits it has.
        {"a colour font first", "12 go \U0001F600", {kEmoji, kDejaVuBold}, {{0, 1}, {1, 1}, {3, 1}, {6, 0}},
         {0, 1, 2, 3, 4, 5, 6}},
        // Digits after Arabic letters are Arabic numbers, and the space between takes their
        // direction, so the number is drawn to the left of the word; lam and alef form one glyph.
        {"Arabic inside an English line", "I say " + arabicWord + " 42", {kArabic, kDejaVuBold},
         {{0, 1}, {2, 1}, {6, 0}, {8, 0}, {12, 0}}, {0, 1, 2, 3, 4, 5, 15, 16, 14, 12, 8, 6}},
        // A line that starts in Arabic runs right to left: the English word sits at its left.
        {"English inside an Arabic line", arabicWord + " ok", {kArabic, kDejaVuBold}, {{0, 0}, {9, 1}},
         {9, 10, 8, 6, 2, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FontChain chain(c.fonts);
        ASSERT_FALSE(chain.setPixelSize(kPixels));
        ShapedLine shaped = shapeLine(chain, c.text);
        EXPECT_EQ(shaped.rightToLeft, c.rightToLeft);
        EXPECT_TRUE(shaped.uncovered.empty());
        for (const auto& [byte, face] : c.faceAt) {
            auto glyph = std::find_if(shaped.glyphs.begin(), shaped.glyphs.end(),
                                      [&](const ShapedGlyph& g) { return g.byteBegin == byte; });
            ASSERT_NE(glyph, shaped.glyphs.end()) << "no glyph at byte " << byte;
            EXPECT_EQ(glyph->face, face) << "at byte " << byte;
        }
        // A cluster's glyphs all come from one face.
        for (const ShapedGlyph& a : shaped.glyphs)
            for (const ShapedGlyph& b : shaped.glyphs)
                if (a.byteBegin == b.byteBegin) {
                    EXPECT_EQ(a.face, b.face);
                }
        std::vector<std::size_t> order;
        for (const ShapedGlyph& glyph : shaped.glyphs)
            if (order.empty() || order.back() != glyph.byteBegin)
                order.push_back(glyph.byteBegin);
        EXPECT_EQ(order, c.leftToRight);
    }
}

TEST(TextShaping, ColourEmojiAreDrawnInColourAtTheLinesSize)
{
    requireFonts({kDejaVuBold, kEmoji});
    FontChain chain({kDejaVuBold, kEmoji});
    ASSERT_TRUE(chain.problems().empty());
    // A face of bitmaps only cannot be set to any size; it is scaled from its own.
    ASSERT_FALSE(chain.setPixelSize(kPixels));
    EXPECT_TRUE(chain.isColour(1));
    EXPECT_LT(chain.scale(1), 1.0);

    const std::string text = "a\U0001F600";
    ShapedLine shaped = shapeLine(chain, text);
    ASSERT_EQ(shaped.glyphs.size(), 2u);
    EXPECT_EQ(shaped.glyphs[1].face, 1u);
    // HarfBuzz's advance at the bitmap size, scaled to the line.
    hb_font_t* font = chain.shapingFont(1);
    hb_codepoint_t glyph = 0;
    ASSERT_TRUE(hb_font_get_nominal_glyph(font, 0x1F600, &glyph));
    EXPECT_EQ(shaped.glyphs[1].glyph, glyph);
    EXPECT_NEAR(shaped.glyphs[1].advance, hb_font_get_glyph_h_advance(font, glyph) * chain.scale(1), 1.0);

    LineImage line = rasteriseLine(chain, shaped);
    ASSERT_EQ(line.error, "");
    const GlyphImage& emoji = line.glyphs[1];
    EXPECT_GE(emoji.height, kPixels * 3 / 4);
    EXPECT_LE(emoji.height, kPixels * 5 / 4);
    ASSERT_EQ(emoji.colour.size(), emoji.coverage.size() * 4);
    EXPECT_TRUE(line.glyphs[0].colour.empty());
    int coloured = 0;
    for (std::size_t i = 0; i < emoji.coverage.size(); ++i) {
        const uint8_t* texel = &emoji.colour[i * 4];
        EXPECT_EQ(texel[3], emoji.coverage[i]);
        coloured += texel[3] == 255 && (texel[0] != texel[2] || texel[1] != texel[2]);
    }
    EXPECT_GT(coloured, int(emoji.coverage.size()) / 4);
    // It sits on the baseline beside the letter, not on top of it.
    EXPECT_GE(emoji.left, line.glyphs[0].left + line.glyphs[0].width);
    EXPECT_LT(emoji.top, 0);
    EXPECT_GT(emoji.top + emoji.height, 0);
    EXPECT_GE(line.ascent, chain.ascent(0));
}

TEST(TextShaping, FontsThatCannotBeUsedAreNamedWithTheReasonAndTheRestStillDraw)
{
    requireFonts({kDejaVuBold, kEmoji});
    TempDir folder;
    writeFile(folder / "notes.ttf", "this is not a font\n");
    writeFile(folder / "truncated.ttf", readFile(kDejaVuBold).substr(0, 4096));
    std::filesystem::create_directories(folder / "fonts.ttf");
    struct Case {
        std::string path;
        std::string reason;  // empty: usable
    };
    const Case cases[] = {
        {kDejaVuBold, ""},
        {(folder / "missing.ttf").string(), "no such file"},
        {(folder / "fonts.ttf").string(), "a folder, not a font file"},
        {(folder / "notes.ttf").string(), "not a font file FreeType can read"},
        {(folder / "truncated.ttf").string(), "not a font file FreeType can read, or a damaged one"},
        {kEmoji, ""},
    };
    std::vector<std::string> paths;
    for (const Case& c : cases)
        paths.push_back(c.path);
    FontChain chain(paths);
    std::size_t usable = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto problem = std::find_if(chain.problems().begin(), chain.problems().end(),
                                    [&](const FontProblem& p) { return p.path == c.path; });
        if (c.reason.empty()) {
            EXPECT_EQ(problem, chain.problems().end());
            EXPECT_EQ(chain.path(usable++), c.path);
        } else {
            ASSERT_NE(problem, chain.problems().end());
            EXPECT_EQ(problem->reason.substr(0, c.reason.size()), c.reason);
        }
    }
    EXPECT_EQ(chain.size(), usable);
    EXPECT_FALSE(chain.setPixelSize(kPixels));
    EXPECT_EQ(drawLine(chain, "ok \U0001F600").glyphs.size(), 4u);
}

TEST(TextShaping, CharactersNoFontHasAreListedOnceWithThePackageThatDrawsThem)
{
    requireFonts({kDejaVuBold});
    FontChain chain({kDejaVuBold});
    ASSERT_FALSE(chain.setPixelSize(kPixels));
    ShapedLine shaped = shapeLine(chain, "a日本日b");
    ASSERT_EQ(shaped.uncovered.size(), 2u);
    EXPECT_EQ(shaped.uncovered[0].codePoint, U'日');
    EXPECT_EQ(shaped.uncovered[0].text, "日");
    EXPECT_EQ(shaped.uncovered[1].codePoint, U'本');
    // They take no room: the line is what "ab" would be.
    ShapedLine plain = shapeLine(chain, "ab");
    ASSERT_EQ(shaped.glyphs.size(), 2u);
    EXPECT_EQ(shaped.advance, plain.advance);
    EXPECT_EQ(shapeLine(chain, "a\xFF").error, "the text is not valid UTF-8");

    struct Case {
        char32_t codePoint;
        std::string package;  // empty: none known
        std::string script;
    };
    const Case cases[] = {
        {U'a', "fonts-dejavu-core", "Latin"},       {U'ش', "fonts-noto-core", "Arabic"},
        {U'क', "fonts-noto-core", "Devanagari"},    {U'ข', "fonts-noto-core", "Thai"},
        {U'日', "fonts-noto-cjk", "Chinese and Japanese"}, {U'あ', "fonts-noto-cjk", "Japanese"},
        {U'한', "fonts-noto-cjk", "Korean"},        {U'\U0001F600', "fonts-noto-color-emoji", "emoji"},
        {U'\u0301', "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(unsigned(c.codePoint)));
        std::optional<ScriptFont> font = fontForCharacter(c.codePoint);
        ASSERT_EQ(font.has_value(), !c.package.empty());
        if (!font)
            continue;
        EXPECT_EQ(font->package, c.package);
        EXPECT_EQ(font->script, c.script);
        std::string remedy = fontRemedy(c.codePoint);
        bool installed = std::filesystem::is_regular_file(font->file);
        EXPECT_NE(remedy.find(installed ? std::string(font->file) : c.package), std::string::npos) << remedy;
    }
    EXPECT_EQ(recommendedFontPackages(),
              (std::vector<std::string_view>{"fonts-noto-core", "fonts-noto-cjk", "fonts-noto-color-emoji"}));
    std::vector<std::string> chainForAll = fontChainForAllScripts();
    ASSERT_FALSE(chainForAll.empty());
    EXPECT_EQ(chainForAll.front(), kDejaVuBold);
    for (const std::string& path : {kArabic, kDevanagari, kCjk, kEmoji}) {
        EXPECT_NE(std::find(chainForAll.begin(), chainForAll.end(), path), chainForAll.end()) << path;
    }
}

// The stock lyrics' images are made from these glyphs: the shaper must give what FreeType gave
// alone, a character at a time with the font's kerning, as the images were set before shaping.
TEST(TextShaping, TheStockLyricsKeepEveryPixelOfTheirGlyphs)
{
    std::string path = std::string(SOVANE05_SOURCE_DIR) + "/authoring/lyrics.txt";
    LyricParse parse = parseLyrics(readFile(path), path);
    ASSERT_TRUE(parse.ok());
    ASSERT_GE(parse.sheet.rows.size(), 20u);
    FontChain chain(fontChainForAllScripts());
    ASSERT_TRUE(chain.problems().empty());
    // The size of every row, and the smaller ones a row too wide for the screen is set in.
    for (int size : {64, 52, 41}) {
        FreeTypeFace stock(kDejaVuBold, size);
        ASSERT_FALSE(chain.setPixelSize(size));
        for (const LyricRow& row : parse.sheet.rows) {
            SCOPED_TRACE(row.phrase + " at " + std::to_string(size));
            LineImage after = drawLine(chain, row.phrase);
            EXPECT_EQ(after.ascent, int((stock.face->size->metrics.ascender + 32) >> 6));
            EXPECT_EQ(after.descent, -int((stock.face->size->metrics.descender + 32) >> 6));
            std::optional<std::vector<CodePoint>> points = decodeUtf8(row.phrase);
            ASSERT_TRUE(points);
            ASSERT_EQ(after.glyphs.size(), points->size());
            FT_UInt previous = 0;
            FT_Pos pen = 0;
            for (std::size_t i = 0; i < points->size(); ++i) {
                FT_UInt index = FT_Get_Char_Index(stock.face, (*points)[i].value);
                FT_Vector kerning{0, 0};
                if (previous != 0)
                    FT_Get_Kerning(stock.face, previous, index, FT_KERNING_DEFAULT, &kerning);
                pen += kerning.x;
                ASSERT_EQ(FT_Load_Glyph(stock.face, index, FT_LOAD_DEFAULT | FT_LOAD_RENDER), 0);
                const FT_GlyphSlot slot = stock.face->glyph;
                const GlyphImage& glyph = after.glyphs[i];
                EXPECT_EQ(std::tie(glyph.byteBegin, glyph.byteEnd), std::tie((*points)[i].begin, (*points)[i].end));
                EXPECT_EQ(glyph.left, int((pen + 32) >> 6) + slot->bitmap_left) << "glyph " << i;
                EXPECT_EQ(glyph.top, -slot->bitmap_top) << "glyph " << i;
                ASSERT_EQ(std::tie(glyph.width, glyph.height), std::tie(slot->bitmap.width, slot->bitmap.rows));
                for (int y = 0; y < glyph.height; ++y)
                    ASSERT_TRUE(std::equal(glyph.coverage.begin() + y * glyph.width,
                                           glyph.coverage.begin() + (y + 1) * glyph.width,
                                           slot->bitmap.buffer + y * slot->bitmap.pitch))
                        << "glyph " << i << " row " << y;
                pen += slot->advance.x;
                previous = index;
            }
            EXPECT_EQ(after.advance, int((pen + 32) >> 6));
        }
    }
}
