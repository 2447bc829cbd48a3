// ICU's break iterators over a UTF-8 UText, whose native indices are byte offsets; and the
// row choice, a shortest path over the break opportunities.
#include "tools/lib/unicode/TextBoundaries.h"

#include <algorithm>
#include <climits>
#include <memory>

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utext.h>

#include "tools/lib/base/Utf8.h"

namespace {

struct IteratorClose {
    void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
struct TextClose {
    void operator()(UText* text) const { utext_close(text); }
};

// An iterator of each type, opened once per thread: opening one loads its rules, which costs far
// more than a line of lyrics does to break.
UBreakIterator* iteratorOf(UBreakIteratorType type)
{
    thread_local std::unique_ptr<UBreakIterator, IteratorClose> opened[UBRK_SENTENCE + 1];
    std::unique_ptr<UBreakIterator, IteratorClose>& iterator = opened[type];
    if (!iterator) {
        UErrorCode status = U_ZERO_ERROR;
        iterator.reset(ubrk_open(type, "", nullptr, 0, &status));
        if (U_FAILURE(status))
            iterator.reset();
    }
    return iterator.get();
}

// The iterator's boundaries over the text, each with its rule status; empty if ICU fails.
std::vector<std::pair<std::size_t, int>> boundaries(UBreakIteratorType type, std::string_view utf8)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UText, TextClose> text(
        utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &status));
    UBreakIterator* iterator = iteratorOf(type);
    std::vector<std::pair<std::size_t, int>> found;
    if (iterator == nullptr || U_FAILURE(status))
        return found;
    ubrk_setUText(iterator, text.get(), &status);
    if (U_FAILURE(status))
        return found;
    for (int32_t at = ubrk_first(iterator); at != UBRK_DONE; at = ubrk_next(iterator))
        found.emplace_back(std::size_t(at), ubrk_getRuleStatus(iterator));
    return found;
}

// Script extensions count: the long-vowel mark and the iteration marks belong to kana and Han.
bool writtenWithoutSpaces(char32_t codePoint)
{
    auto character = UChar32(codePoint);
    return uscript_hasScript(character, USCRIPT_HAN) || uscript_hasScript(character, USCRIPT_HIRAGANA) ||
           uscript_hasScript(character, USCRIPT_KATAKANA);
}

// Sorted, without repeats, and with the text's start and end, even where ICU failed.
std::vector<std::size_t> spanning(std::vector<std::size_t> offsets, std::size_t end)
{
    offsets.push_back(0);
    offsets.push_back(end);
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

}  // namespace

std::vector<std::size_t> graphemeBoundaries(std::string_view utf8)
{
    std::vector<std::size_t> offsets;
    for (const auto& [offset, status] : boundaries(UBRK_CHARACTER, utf8))
        offsets.push_back(offset);
    return spanning(std::move(offsets), utf8.size());
}

std::vector<std::size_t> wordBoundaries(std::string_view utf8)
{
    // Byte by byte, so the cost stays in proportion to the text.
    std::vector<char> boundary(utf8.size() + 1, 0);
    for (const auto& [offset, status] : boundaries(UBRK_WORD, utf8))
        boundary[offset] = 1;
    std::optional<std::vector<CodePoint>> points = decodeUtf8(utf8);
    if (points) {
        std::vector<char> breakable(utf8.size() + 1, 0);
        for (const LineBreak& line : lineBreaks(utf8))
            breakable[line.offset] = 1;
        for (std::size_t i = 1; i < points->size(); ++i) {
            const CodePoint& before = (*points)[i - 1];
            const CodePoint& after = (*points)[i];
            // Between two such characters the line-break rules decide: they keep the long-vowel
            // mark and small kana with the character before, where a dictionary may not.
            if (writtenWithoutSpaces(before.value) && writtenWithoutSpaces(after.value))
                boundary[after.begin] = breakable[after.begin];
        }
    }
    std::vector<std::size_t> offsets;
    for (std::size_t offset = 0; offset < boundary.size(); ++offset)
        if (boundary[offset] != 0)
            offsets.push_back(offset);
    return spanning(std::move(offsets), utf8.size());
}

std::vector<LineBreak> lineBreaks(std::string_view utf8)
{
    std::vector<LineBreak> breaks;
    for (const auto& [offset, status] : boundaries(UBRK_LINE, utf8))
        if (offset > 0)
            breaks.push_back({offset, status >= UBRK_LINE_HARD && status < UBRK_LINE_HARD_LIMIT});
    return breaks;
}

std::vector<std::size_t> chooseRowBreaks(const std::vector<LineBreak>& breaks,
                                         const std::function<int(std::size_t, std::size_t)>& width, int widest)
{
    // best[j]: the fewest rows, then the narrowest widest row, for the text up to break j (0 is
    // the start), and the break the last of those rows starts at.
    struct Best {
        int rows = INT_MAX;
        int widestRow = INT_MAX;
        std::size_t from = 0;
    };
    std::vector<std::size_t> offsets{0};
    for (const LineBreak& line : breaks)
        offsets.push_back(line.offset);
    std::vector<Best> best(offsets.size());
    best[0] = {0, 0, 0};
    for (std::size_t j = 1; j < offsets.size(); ++j) {
        for (std::size_t i = j; i-- > 0;) {
            int rowWidth = width(offsets[i], offsets[j]);
            if (rowWidth > widest && i + 1 < j)
                break;  // wider still from any earlier break
            if (best[i].rows != INT_MAX) {
                Best candidate{best[i].rows + 1, std::max(best[i].widestRow, rowWidth), i};
                if (candidate.rows < best[j].rows ||
                    (candidate.rows == best[j].rows && candidate.widestRow < best[j].widestRow))
                    best[j] = candidate;
            }
            if (i > 0 && breaks[i - 1].mandatory)
                break;  // a row never runs across a mandatory break
        }
    }
    std::vector<std::size_t> cuts;
    for (std::size_t j = best.back().from; j > 0; j = best[j].from)
        cuts.push_back(offsets[j]);
    std::reverse(cuts.begin(), cuts.end());
    return cuts;
}
