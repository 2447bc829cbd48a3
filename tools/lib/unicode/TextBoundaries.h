// Unicode boundaries of UTF-8 text, as byte offsets, by ICU: grapheme clusters (what a reader
// takes for one character), word boundaries (UAX #29, with ICU's dictionaries for the scripts
// written without spaces) and line-break opportunities (UAX #14); and the choice of breaks that
// wraps a phrase into rows of a given width.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

// Every cluster's start, then the text's end; {0} for an empty text.
std::vector<std::size_t> graphemeBoundaries(std::string_view utf8);

// Where a phrase may be cut between words: the UAX #29 word boundaries, and between any two
// characters of Chinese and Japanese (Han, Hiragana, Katakana) where a line may break, since
// those are written without spaces and sung a character at a time. Includes 0 and the end.
std::vector<std::size_t> wordBoundaries(std::string_view utf8);

struct LineBreak {
    std::size_t offset = 0;  // a row may end here; the next begins here
    bool mandatory = false;  // after a line or paragraph separator
    bool operator==(const LineBreak&) const = default;
};

// The break opportunities after the start, the text's end last.
std::vector<LineBreak> lineBreaks(std::string_view utf8);

// The offsets at which to cut a phrase into rows no wider than `widest`: the fewest rows, and
// of those the cut whose widest row is narrowest, so the rows look even. `width(begin, end)`
// measures one row (the caller leaves out its trailing spaces). Mandatory breaks are always
// cut; a piece wider than `widest` between two opportunities gets a row of its own. Neither 0
// nor the end is in the result; none when the phrase fits.
std::vector<std::size_t> chooseRowBreaks(const std::vector<LineBreak>& breaks,
                                         const std::function<int(std::size_t, std::size_t)>& width, int widest);
