// The table of scripts, fonts and Debian packages (Debian 12's paths). Scripts are looked up
// with HarfBuzz's Unicode data; emoji by ICU's Emoji_Presentation, since their script is Common.
#include "tools/lib/glyphs/FontPackages.h"

#include <algorithm>
#include <filesystem>

#include <hb.h>
#include <unicode/uchar.h>

namespace {

constexpr std::string_view kDejaVu = "fonts-dejavu-core";
constexpr std::string_view kNotoCore = "fonts-noto-core";
constexpr std::string_view kNotoCjk = "fonts-noto-cjk";
constexpr std::string_view kNotoEmoji = "fonts-noto-color-emoji";
constexpr std::string_view kCjkFont = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";
#define NOTO(file) "/usr/share/fonts/truetype/noto/" file

// Emoji have no script of their own in Unicode (they are Common); ISO 15924 names them Zsye.
// HB_SCRIPT_UNKNOWN would not do: unassigned and private-use characters have it.
constexpr auto kEmoji = hb_script_t(HB_TAG('Z', 's', 'y', 'e'));

struct Entry {
    hb_script_t script;
    ScriptFont font;
};

// In the default chain's order; a script listed twice is drawn by the first font installed.
constexpr Entry kFonts[] = {
    {HB_SCRIPT_LATIN, {"Latin", kDejaVu, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"}},
    {HB_SCRIPT_ARABIC, {"Arabic", kNotoCore, NOTO("NotoSansArabic-Bold.ttf")}},
    {HB_SCRIPT_HEBREW, {"Hebrew", kNotoCore, NOTO("NotoSansHebrew-Bold.ttf")}},
    {HB_SCRIPT_DEVANAGARI, {"Devanagari", kNotoCore, NOTO("NotoSansDevanagari-Bold.ttf")}},
    {HB_SCRIPT_BENGALI, {"Bengali", kNotoCore, NOTO("NotoSansBengali-Bold.ttf")}},
    {HB_SCRIPT_GURMUKHI, {"Gurmukhi", kNotoCore, NOTO("NotoSansGurmukhi-Bold.ttf")}},
    {HB_SCRIPT_GUJARATI, {"Gujarati", kNotoCore, NOTO("NotoSansGujarati-Bold.ttf")}},
    {HB_SCRIPT_ORIYA, {"Oriya", kNotoCore, NOTO("NotoSansOriya-Bold.ttf")}},
    {HB_SCRIPT_TAMIL, {"Tamil", kNotoCore, NOTO("NotoSansTamil-Bold.ttf")}},
    {HB_SCRIPT_TELUGU, {"Telugu", kNotoCore, NOTO("NotoSansTelugu-Bold.ttf")}},
    {HB_SCRIPT_KANNADA, {"Kannada", kNotoCore, NOTO("NotoSansKannada-Bold.ttf")}},
    {HB_SCRIPT_MALAYALAM, {"Malayalam", kNotoCore, NOTO("NotoSansMalayalam-Bold.ttf")}},
    {HB_SCRIPT_SINHALA, {"Sinhala", kNotoCore, NOTO("NotoSansSinhala-Bold.ttf")}},
    {HB_SCRIPT_THAI, {"Thai", kNotoCore, NOTO("NotoSansThai-Bold.ttf")}},
    {HB_SCRIPT_LAO, {"Lao", kNotoCore, NOTO("NotoSansLao-Bold.ttf")}},
    {HB_SCRIPT_KHMER, {"Khmer", kNotoCore, NOTO("NotoSansKhmer-Bold.ttf")}},
    {HB_SCRIPT_MYANMAR, {"Myanmar", kNotoCore, NOTO("NotoSansMyanmar-Bold.ttf")}},
    {HB_SCRIPT_TIBETAN, {"Tibetan", kNotoCore, NOTO("NotoSerifTibetan-Bold.ttf")}},
    {HB_SCRIPT_GEORGIAN, {"Georgian", kNotoCore, NOTO("NotoSansGeorgian-Bold.ttf")}},
    {HB_SCRIPT_ARMENIAN, {"Armenian", kNotoCore, NOTO("NotoSansArmenian-Bold.ttf")}},
    {HB_SCRIPT_ETHIOPIC, {"Ethiopic", kNotoCore, NOTO("NotoSansEthiopic-Bold.ttf")}},
    {HB_SCRIPT_THAANA, {"Thaana", kNotoCore, NOTO("NotoSansThaana-Bold.ttf")}},
    {HB_SCRIPT_HAN, {"Chinese and Japanese", kNotoCjk, kCjkFont}},
    {HB_SCRIPT_HIRAGANA, {"Japanese", kNotoCjk, kCjkFont}},
    {HB_SCRIPT_KATAKANA, {"Japanese", kNotoCjk, kCjkFont}},
    {HB_SCRIPT_BOPOMOFO, {"Bopomofo", kNotoCjk, kCjkFont}},
    {HB_SCRIPT_HANGUL, {"Korean", kNotoCjk, kCjkFont}},
    {HB_SCRIPT_GREEK, {"Greek", kDejaVu, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"}},
    {HB_SCRIPT_CYRILLIC, {"Cyrillic", kDejaVu, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"}},
    {HB_SCRIPT_COMMON, {"symbols", kNotoCore, NOTO("NotoSansSymbols-Bold.ttf")}},
    {HB_SCRIPT_COMMON, {"symbols", kNotoCore, NOTO("NotoSansSymbols2-Regular.ttf")}},
    {kEmoji, {"emoji", kNotoEmoji, NOTO("NotoColorEmoji.ttf")}},
};
#undef NOTO

bool installed(std::string_view file)
{
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

}  // namespace

std::optional<ScriptFont> fontForCharacter(char32_t codePoint)
{
    hb_script_t script = u_hasBinaryProperty(UChar32(codePoint), UCHAR_EMOJI_PRESENTATION)
                             ? kEmoji
                             : hb_unicode_script(hb_unicode_funcs_get_default(), codePoint);
    if (script == HB_SCRIPT_INHERITED)
        return std::nullopt;
    // Of the fonts for the script, the first installed one, else the first.
    std::optional<ScriptFont> found;
    for (const Entry& entry : kFonts) {
        if (entry.script != script)
            continue;
        if (installed(entry.font.file))
            return entry.font;
        if (!found)
            found = entry.font;
    }
    return found;
}

std::vector<std::string> fontChainForAllScripts()
{
    std::vector<std::string> chain;
    for (const Entry& entry : kFonts) {
        std::string file(entry.font.file);
        if (installed(file) && std::find(chain.begin(), chain.end(), file) == chain.end())
            chain.push_back(file);
    }
    return chain;
}

std::vector<std::string_view> recommendedFontPackages()
{
    std::vector<std::string_view> packages;
    for (const Entry& entry : kFonts)
        if (entry.font.package != kDejaVu &&
            std::find(packages.begin(), packages.end(), entry.font.package) == packages.end())
            packages.push_back(entry.font.package);
    return packages;
}

std::string fontRemedy(char32_t codePoint)
{
    std::optional<ScriptFont> font = fontForCharacter(codePoint);
    if (!font)
        return "add a --font that has it";
    std::string script(font->script);
    if (installed(font->file))
        return "add --font " + std::string(font->file) + " (installed, for " + script + ") or another font that has it";
    return "install the Debian package " + std::string(font->package) + " (its fonts draw " + script +
           "), or add a --font that has it";
}
