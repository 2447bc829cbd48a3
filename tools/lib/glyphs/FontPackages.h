// Which installed font draws which script, and which Debian package brings it: the default font
// chain of the lyric images, the packages a package of the tools should recommend, and the
// remedy a "no font has" message gives.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ScriptFont {
    std::string_view script;   // as a message names it: "Arabic", "Chinese and Japanese", "emoji"
    std::string_view package;  // the Debian package with the font
    std::string_view file;     // the font's path once the package is installed
};

// The font for the script of `codePoint` (emoji by their presentation), when one is known.
std::optional<ScriptFont> fontForCharacter(char32_t codePoint);

// Every known font that is installed, in the order a character is looked up in: DejaVu Sans
// Bold first (the font of the stock lyrics, and a dependency of the package), then the fonts
// of the scripts it lacks, DejaVu Sans for its wider coverage, symbols and colour emoji last.
std::vector<std::string> fontChainForAllScripts();

// The packages behind the default chain other than fonts-dejavu-core, in the chain's order.
std::vector<std::string_view> recommendedFontPackages();

// What to do about a character no font of the chain has: the package or the installed font
// for its script, then a --font of one's own.
std::string fontRemedy(char32_t codePoint);
