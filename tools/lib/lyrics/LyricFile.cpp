// The lyric file parser: tag lines, time tags (points and ranges), word stamps, and the end of
// each line, with every fault reported as "<path>:<line>: <what>"; and fitting what it read to
// the show's lyric scene and slots.
#include "tools/lib/lyrics/LyricFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "tools/lib/unicode/TextBoundaries.h"
#include "tools/lib/unicode/TextEncoding.h"
#include "tools/lib/base/Utf8.h"

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<long long> parseDigits(std::string_view digits)
{
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    long long value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// A word stamp begins at `at`: '<' and a digit (a malformed one is an error), or a time in square
// brackets inside the words, as some LRC files stamp them; a '[' that holds no time is text.
bool stampAt(std::string_view text, std::size_t at)
{
    if (at + 1 >= text.size() || !isDigit(text[at + 1]))
        return false;
    if (text[at] == '<')
        return true;
    if (text[at] != '[')
        return false;
    std::size_t close = text.find(']', at);
    return close != std::string_view::npos && parseLyricTime(text.substr(at + 1, close - at - 1)).has_value();
}

std::size_t characterCount(std::string_view text)
{
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first character of the words that cannot be drawn: a control character of C0 (tab aside,
// which reads as a space), DEL or C1.
std::optional<char32_t> controlCharacter(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
            return byte;
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F)
            return static_cast<unsigned char>(text[i + 1]);
    }
    return std::nullopt;
}

struct TimeTag {
    long long start = 0;
    std::optional<long long> end;
};

// A stretch of a line's words that becomes one entry, as a byte range of the untrimmed phrase.
struct Piece {
    long long start = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct PendingRow {
    long long start = 0;
    std::optional<long long> end;
    int line = 0;
    std::string phrase;
    std::vector<Piece> pieces;
    std::optional<long long> closingStamp;
    bool oneOfSeveral = false;  // one copy of a line with several time tags
};

// Messages about one copy of a repeated line say which copy by its time.
std::string copyName(const PendingRow& row)
{
    return row.oneOfSeveral ? "the copy at " + formatLyricTime(row.start) + ": " : "";
}

class Parser {
public:
    explicit Parser(std::string_view filePath) : path(filePath) {}

    void error(int line, const std::string& what)
    {
        result.errors.push_back(std::string(path) + ":" + std::to_string(line) + ": " + what);
    }
    void warning(int line, const std::string& what)
    {
        result.warnings.push_back(std::string(path) + ":" + std::to_string(line) + ": " + what);
    }

    void parseLine(std::string_view line, int number);
    void finish();

    LyricParse result;

private:
    bool parseTags(std::string_view line, int number, std::size_t& position, std::vector<TimeTag>& times,
                   bool& metadata);
    bool parseTimeTag(std::string_view content, const std::string& shown, int number, std::vector<TimeTag>& times);
    bool parseMetadataTag(std::string_view content, const std::string& shown, int number, bool& metadata);
    bool parseOffset(std::string_view value, const std::string& shown, int number);
    bool parseWords(std::string_view text, int number, long long lineStart, PendingRow& row);
    void addCopies(const PendingRow& sung, const std::vector<TimeTag>& times, long long sungStart, int number);

    std::string_view path;
    std::vector<PendingRow> rows;
    std::vector<long long> starts;  // every line's start, rows and pause markers alike
    bool offsetSeen = false;
};

// Word stamps belong to the copy whose time tag comes last before the first stamp; `times` are
// in order, and the first is taken when no stamp follows any.
const TimeTag& stampedTag(const std::vector<TimeTag>& times, std::string_view text)
{
    std::optional<long long> firstStamp;
    for (std::size_t i = 0; i + 1 < text.size() && !firstStamp; ++i)
        if (stampAt(text, i))
            firstStamp = parseLyricTime(text.substr(i + 1, text.find(text[i] == '<' ? '>' : ']', i) - i - 1));
    const TimeTag* anchor = &times.front();
    for (const TimeTag& tag : times)
        if (firstStamp && tag.start <= *firstStamp)
            anchor = &tag;
    return *anchor;
}

// Reads the tags at the front of the line: time tags ([mm:ss.xx] or [mm:ss.xx-mm:ss.xx]) or
// metadata tags ([ar:…]), leaving `position` at the text after them.
bool Parser::parseTags(std::string_view line, int number, std::size_t& position, std::vector<TimeTag>& times,
                       bool& metadata)
{
    bool ok = true;
    while (position < line.size() && line[position] == '[') {
        std::size_t close = line.find(']', position);
        if (close == std::string_view::npos) {
            error(number, "unclosed tag " + shownText(line.substr(position)));
            return false;
        }
        std::string_view content = line.substr(position + 1, close - position - 1);
        std::string shown = shownText(line.substr(position, close - position + 1), kShownCharacters, false);
        if (!content.empty() && isDigit(content.front())) {
            ok = parseTimeTag(content, shown, number, times) && ok;
        } else {
            ok = parseMetadataTag(content, shown, number, metadata) && ok;
        }
        position = close + 1;
        // Another tag may follow after spaces; a bracket that is not a time after time tags is text.
        std::size_t next = position;
        while (next < line.size() && isSpace(line[next]))
            ++next;
        if (next < line.size() && line[next] == '[' &&
            (metadata || (next + 1 < line.size() && isDigit(line[next + 1]))))
            position = next;
        else
            break;
    }
    return ok;
}

bool Parser::parseTimeTag(std::string_view content, const std::string& shown, int number, std::vector<TimeTag>& times)
{
    std::size_t dash = content.find('-');
    std::optional<long long> start = parseLyricTime(content.substr(0, dash));
    std::optional<long long> end;
    if (dash != std::string_view::npos)
        end = parseLyricTime(content.substr(dash + 1));
    if (!start || (dash != std::string_view::npos && !end)) {
        error(number, "unreadable time tag " + shown + ": expected [mm:ss.xx] or [mm:ss.xx-mm:ss.xx]");
        return false;
    }
    if (end && *end <= *start) {
        error(number, "time tag " + shown + " ends before it starts");
        return false;
    }
    times.push_back({*start, end});
    return true;
}

// [length:…] is kept and [offset:…] applies; other well-formed tags are ignored. `metadata`
// becomes true for a well-formed one.
bool Parser::parseMetadataTag(std::string_view content, const std::string& shown, int number, bool& metadata)
{
    std::size_t colon = content.find(':');
    std::string key(content.substr(0, colon == std::string_view::npos ? 0 : colon));
    bool keyOk = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '#';
    });
    if (!keyOk) {
        error(number, "unreadable tag " + shown + ": expected a time like [01:02.50] or a tag like [ar:Artist]");
        return false;
    }
    metadata = true;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (key == "length") {
        std::optional<long long> length = parseLyricTime(trim(content.substr(colon + 1)));
        if (length)
            result.sheet.lengthMilliseconds = length;
        else
            warning(number, "unreadable length " + shown + ": expected [length:mm:ss]; ignored");
    } else if (key == "offset") {
        return parseOffset(trim(content.substr(colon + 1)), shown, number);
    }
    return true;
}

bool Parser::parseOffset(std::string_view value, const std::string& shown, int number)
{
    bool negative = !value.empty() && value.front() == '-';
    if (!value.empty() && (value.front() == '+' || value.front() == '-'))
        value.remove_prefix(1);
    std::optional<long long> magnitude = parseDigits(value);
    if (!magnitude) {
        error(number, "unreadable offset " + shown + ": expected whole milliseconds like [offset:+250]");
        return false;
    }
    if (offsetSeen) {
        error(number, "a second offset tag: the file has one offset");
        return false;
    }
    offsetSeen = true;
    result.sheet.offsetMilliseconds = int(negative ? -*magnitude : *magnitude);
    return true;
}

// Splits the text after the time tags at its word stamps into pieces of the phrase.
bool Parser::parseWords(std::string_view text, int number, long long lineStart, PendingRow& row)
{
    struct Segment {
        std::optional<long long> stamp;  // none for the words before the first stamp
        std::string shown;
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    std::vector<Segment> segments(1);
    long long previous = lineStart;
    bool ok = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (stampAt(text, i)) {
            std::size_t close = text.find(text[i] == '<' ? '>' : ']', i);
            if (close == std::string_view::npos) {
                error(number, "unclosed word stamp " + shownText(text.substr(i)));
                return false;
            }
            std::string shown = shownText(text.substr(i, close - i + 1), kShownCharacters, false);
            std::optional<long long> stamp = parseLyricTime(text.substr(i + 1, close - i - 1));
            if (!stamp) {
                error(number, "unreadable word stamp " + shown + ": expected <mm:ss.xx>");
                ok = false;
            } else if (*stamp < previous) {
                error(number, copyName(row) + "word stamp " + shown + " is earlier than " +
                                  (previous == lineStart ? "the line's start " : "the stamp before it, ") +
                                  formatLyricTime(previous));
                ok = false;
            } else {
                previous = *stamp;
            }
            segments.back().end = row.phrase.size();
            segments.push_back({stamp.value_or(previous), shown, row.phrase.size(), 0});
            i = close;
        } else {
            row.phrase += text[i] == '\t' ? ' ' : text[i];
        }
    }
    segments.back().end = row.phrase.size();

    for (std::size_t s = 0; s < segments.size(); ++s) {
        const Segment& segment = segments[s];
        std::size_t begin = segment.begin;
        std::size_t end = segment.end;
        while (begin < end && isSpace(row.phrase[begin]))
            ++begin;
        while (end > begin && isSpace(row.phrase[end - 1]))
            --end;
        if (begin < end) {
            row.pieces.push_back({segment.stamp.value_or(lineStart), begin, end});
        } else if (segment.stamp && s + 1 == segments.size()) {
            // A stamp with nothing after it closes the line, as enhanced LRC writes it.
            row.closingStamp = segment.stamp;
        } else if (segment.stamp) {
            error(number, "word stamp " + segment.shown + " has no words after it");
            ok = false;
        }
    }
    return ok;
}

void Parser::parseLine(std::string_view line, int number)
{
    std::string_view content = trim(line);
    if (content.empty() || content.front() == '#')
        return;
    if (std::size_t characters = characterCount(content); characters > kLongestLineCharacters) {
        error(number, "the line holds " + std::to_string(characters) + " characters, more than the " +
                          std::to_string(kLongestLineCharacters) + " the screen can show: split it into timed lines");
        return;
    }
    if (content.front() != '[') {
        error(number, "expected a time tag like [01:02.50] at the start of the line, not " + shownText(content));
        return;
    }
    std::size_t position = 0;
    std::vector<TimeTag> times;
    bool metadata = false;
    if (!parseTags(content, number, position, times, metadata))
        return;
    std::string_view text = trim(content.substr(position));
    if (metadata) {
        if (!times.empty())
            error(number, "a line holds time tags or tags like [ar:Artist], not both");
        else if (!text.empty())
            error(number, "text after a tag like [ar:Artist]: lyrics need a time tag");
        return;
    }
    if (std::optional<char32_t> control = controlCharacter(text)) {
        error(number, "the words hold the control character " + codeName(*control) +
                          ", which cannot be drawn: remove it from the line");
        return;
    }

    std::sort(times.begin(), times.end(), [](const TimeTag& a, const TimeTag& b) { return a.start < b.start; });
    const TimeTag& anchor = stampedTag(times, text);
    PendingRow sung;
    sung.start = anchor.start;
    sung.oneOfSeveral = times.size() > 1;
    if (parseWords(text, number, anchor.start, sung))
        addCopies(sung, times, anchor.start, number);
}

// One row for each time tag of the line, moved from the sung copy by the distance between the
// tags; a tag with no words is a pause.
void Parser::addCopies(const PendingRow& sung, const std::vector<TimeTag>& times, long long sungStart, int number)
{
    for (const TimeTag& tag : times) {
        PendingRow row = sung;
        long long shift = tag.start - sungStart;
        for (Piece& piece : row.pieces)
            piece.start += shift;
        if (row.closingStamp)
            *row.closingStamp += shift;
        row.start = tag.start;
        row.end = tag.end;
        row.line = number;
        row.oneOfSeveral = times.size() > 1;
        starts.push_back(tag.start);
        if (row.pieces.empty()) {
            // A time with no words is an LRC pause: it only ends the line before it.
            if (row.end || row.closingStamp)
                warning(number, copyName(row) + "a timed line with no words shows nothing");
            continue;
        }
        rows.push_back(std::move(row));
    }
}

void Parser::finish()
{
    std::sort(starts.begin(), starts.end());
    LyricSheet& sheet = result.sheet;
    for (PendingRow& pending : rows) {
        long long end = 0;
        if (pending.end) {
            end = *pending.end;
            if (pending.closingStamp && *pending.closingStamp != end) {
                error(pending.line, copyName(pending) + "the closing stamp " + formatLyricTime(*pending.closingStamp) +
                                        " differs from the line's end " + formatLyricTime(end));
                continue;
            }
        } else if (pending.closingStamp) {
            end = *pending.closingStamp;
        } else {
            auto later = std::upper_bound(starts.begin(), starts.end(), pending.start);
            end = later != starts.end() ? *later
                                         : pending.pieces.back().start + static_cast<long long>(kLastLineSeconds * 1000);
        }
        bool ok = true;
        for (const Piece& piece : pending.pieces) {
            if (piece.start >= end) {
                error(pending.line, copyName(pending) + "the words " +
                                        shownText(std::string_view(pending.phrase).substr(piece.begin, piece.end - piece.begin)) + " start at " +
                                        formatLyricTime(piece.start) + ", not before the line ends at " +
                                        formatLyricTime(end));
                ok = false;
            }
        }
        if (!ok)
            continue;

        // Trim the phrase and move the pieces with it; they are trimmed already, so they fit.
        std::size_t lead = pending.pieces.front().begin;
        std::size_t tail = pending.pieces.back().end;
        LyricRow row;
        row.phrase = pending.phrase.substr(lead, tail - lead);
        row.sourceLine = pending.line;
        row.firstEntry = int(sheet.entries.size());
        row.entryCount = int(pending.pieces.size());
        double shift = sheet.offsetMilliseconds;
        row.start = (pending.start - shift) / 1000.0;
        row.end = (end - shift) / 1000.0;
        for (const Piece& piece : pending.pieces) {
            LyricEntry entry;
            entry.start = (piece.start - shift) / 1000.0;
            entry.end = row.end;
            entry.text = pending.phrase.substr(piece.begin, piece.end - piece.begin);
            entry.row = int(sheet.rows.size());
            entry.sourceLine = pending.line;
            entry.phraseBegin = piece.begin - lead;
            entry.phraseEnd = piece.end - lead;
            sheet.entries.push_back(std::move(entry));
        }
        sheet.rows.push_back(std::move(row));
    }
}

std::string quoted(const LyricEntry& entry)
{
    return shownText(entry.text);
}

long long milliseconds(double seconds)
{
    return std::llround(seconds * 1000.0);
}

// Rebuilds the sheet from the entries `keep` accepts, dropping rows left empty.
template <typename Keep>
void keepEntries(LyricSheet& sheet, Keep keep)
{
    std::vector<LyricRow> rows;
    std::vector<LyricEntry> entries;
    for (const LyricRow& row : sheet.rows) {
        LyricRow kept = row;
        kept.firstEntry = int(entries.size());
        kept.entryCount = 0;
        for (int i = row.firstEntry; i < row.firstEntry + row.entryCount; ++i) {
            if (!keep(sheet.entries[std::size_t(i)]))
                continue;
            entries.push_back(sheet.entries[std::size_t(i)]);
            entries.back().row = int(rows.size());
            ++kept.entryCount;
        }
        if (kept.entryCount > 0)
            rows.push_back(std::move(kept));
    }
    sheet.rows = std::move(rows);
    sheet.entries = std::move(entries);
}

// The row's entries as whole words: neighbours that meet where no word boundary is (UAX #29,
// and between the characters of Chinese and Japanese) are one word, split by a stamp inside it.
std::vector<std::vector<LyricEntry>> wordsOf(const LyricSheet& sheet, const LyricRow& row)
{
    std::vector<std::size_t> boundaries = wordBoundaries(row.phrase);
    std::vector<std::vector<LyricEntry>> words;
    for (int i = row.firstEntry; i < row.firstEntry + row.entryCount; ++i) {
        const LyricEntry& entry = sheet.entries[std::size_t(i)];
        bool insideWord = !words.empty() && words.back().back().phraseEnd == entry.phraseBegin &&
                          !std::binary_search(boundaries.begin(), boundaries.end(), entry.phraseBegin);
        if (insideWord)
            words.back().push_back(entry);
        else
            words.push_back({entry});
    }
    return words;
}

// The row's words in `groups` entries of as even a number of words as can be; each starts with
// its first word.
void groupRow(LyricSheet& sheet, int rowIndex, const std::vector<std::vector<LyricEntry>>& words, int groups)
{
    const LyricRow& row = sheet.rows[std::size_t(rowIndex)];
    std::vector<LyricEntry> grouped;
    for (int g = 0; g < groups; ++g) {
        std::size_t first = words.size() * std::size_t(g) / std::size_t(groups);
        std::size_t last = words.size() * std::size_t(g + 1) / std::size_t(groups);
        LyricEntry entry = words[first].front();
        entry.phraseEnd = words[last - 1].back().phraseEnd;
        entry.text = row.phrase.substr(entry.phraseBegin, entry.phraseEnd - entry.phraseBegin);
        grouped.push_back(std::move(entry));
    }
    std::vector<LyricEntry> entries(sheet.entries.begin(), sheet.entries.begin() + row.firstEntry);
    entries.insert(entries.end(), grouped.begin(), grouped.end());
    entries.insert(entries.end(), sheet.entries.begin() + row.firstEntry + row.entryCount, sheet.entries.end());
    int change = int(grouped.size()) - row.entryCount;
    sheet.rows[std::size_t(rowIndex)].entryCount = int(grouped.size());
    for (std::size_t r = std::size_t(rowIndex) + 1; r < sheet.rows.size(); ++r)
        sheet.rows[r].firstEntry += change;
    sheet.entries = std::move(entries);
}

}  // namespace

std::string formatLyricTime(long long milliseconds)
{
    char buffer[48];
    const char* sign = milliseconds < 0 ? "-" : "";
    long long magnitude = milliseconds < 0 ? -milliseconds : milliseconds;
    if (magnitude % 10 == 0)
        std::snprintf(buffer, sizeof buffer, "%s%lld:%02lld.%02lld", sign, magnitude / 60000, magnitude / 1000 % 60,
                      magnitude % 1000 / 10);
    else
        std::snprintf(buffer, sizeof buffer, "%s%lld:%02lld.%03lld", sign, magnitude / 60000, magnitude / 1000 % 60,
                      magnitude % 1000);
    return buffer;
}

std::string formatLyricSeconds(double seconds)
{
    return formatLyricTime(milliseconds(seconds));
}

std::string shownText(std::string_view text, std::size_t mostCharacters, bool quoted)
{
    std::string shown = quoted ? "'" : "";
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        if (characters == mostCharacters) {
            shown += "\u2026";
            break;
        }
        std::size_t length = utf8SequenceLength(text, at);
        auto byte = static_cast<unsigned char>(text[at]);
        char escaped[8];
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            // Raw, a NUL would cut the message short and a CR would overwrite it.
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(byte));
            shown += escaped;
            ++at;
            continue;
        }
        if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
            std::snprintf(escaped, sizeof escaped, "\\u%04X", unsigned(static_cast<unsigned char>(text[at + 1])));
            shown += escaped;
        } else {
            shown.append(text.substr(at, length));
        }
        at += length;
    }
    return quoted ? shown + "'" : shown;
}

std::optional<long long> parseLyricTime(std::string_view text)
{
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view secondsPart = text.substr(colon + 1);
    // "mm:ss:xx" is "mm:ss.xx" as some editors write it.
    std::size_t dot = secondsPart.find_first_of(".:");
    std::string_view whole = secondsPart.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view() : secondsPart.substr(dot + 1);
    if (whole.size() < 1 || whole.size() > 2 || (dot != std::string_view::npos && (fraction.empty() || fraction.size() > 3)))
        return std::nullopt;
    std::optional<long long> minutes = parseDigits(text.substr(0, colon));
    std::optional<long long> seconds = parseDigits(whole);
    std::optional<long long> parts = fraction.empty() ? std::optional<long long>(0) : parseDigits(fraction);
    if (!minutes || !seconds || !parts || *seconds >= 60)
        return std::nullopt;
    long long milliseconds = *parts;
    for (std::size_t digits = fraction.size(); digits < 3; ++digits)
        milliseconds *= 10;
    return (*minutes * 60 + *seconds) * 1000 + milliseconds;
}

LyricParse parseLyrics(std::string_view text, std::string_view path)
{
    Parser parser(path);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool blank = text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
    int number = 0;
    while (!text.empty()) {
        // CR LF, LF, and CR alone as old Mac editors end lines.
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        ++number;
        parser.parseLine(line, number);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        text.remove_prefix(next);
    }
    parser.finish();
    LyricParse& result = parser.result;
    if (result.errors.empty() && result.sheet.rows.empty())
        result.errors.push_back(std::string(path) + ": " +
                                (blank ? std::string("the lyric file is empty")
                                       : "no timed line with words: lyrics need lines like [00:12.50] words") +
                                "; nothing to show");
    return std::move(result);
}

LyricParse parseLyricFile(std::string_view bytes, std::string_view path, std::string_view encoding)
{
    DecodedText decoded = decodeText(bytes, encoding);
    if (decoded.error) {
        LyricParse refused;
        refused.errors.push_back(std::string(path) + ": " + *decoded.error);
        return refused;
    }
    LyricParse parse = parseLyrics(decoded.utf8, path);
    if (decoded.warning)
        parse.warnings.insert(parse.warnings.begin(), std::string(path) + ": " + *decoded.warning);
    std::vector<std::string> invalid;
    for (const InvalidBytes& bad : decoded.invalid)
        invalid.push_back(std::string(path) + ":" + std::to_string(bad.line) + ": " + bad.what);
    parse.errors.insert(parse.errors.begin(), invalid.begin(), invalid.end());
    return parse;
}

namespace {

std::string whereIn(std::string_view path, int line)
{
    return std::string(path) + ":" + std::to_string(line) + ": ";
}

// Leaves out the entries that start before the part of the song taken, one warning counting
// them and naming the last, and moves the rest earlier by its start.
void takePartOfSong(LyricParse& parse, std::string_view path, const ShowFit& fit)
{
    LyricSheet& sheet = parse.sheet;
    if (fit.songStart <= 0.0)
        return;
    const LyricEntry* lastEarly = nullptr;
    int early = 0;
    for (const LyricEntry& entry : sheet.entries) {
        if (entry.start >= fit.songStart)
            continue;
        ++early;
        if (lastEarly == nullptr || entry.start >= lastEarly->start)
            lastEarly = &entry;
    }
    if (lastEarly != nullptr) {
        std::string count = early == 1 ? "1 entry" : std::to_string(early) + " entries";
        parse.warnings.push_back(whereIn(path, lastEarly->sourceLine) + count + " left out: the last, " +
                                 quoted(*lastEarly) + ", starts at " + formatLyricSeconds(lastEarly->start) +
                                 ", before the part of the song taken begins at " + formatLyricSeconds(fit.songStart));
        keepEntries(sheet, [&](const LyricEntry& entry) { return entry.start >= fit.songStart; });
    }
    sheet.leftOutBefore = early;
    for (LyricEntry& entry : sheet.entries) {
        entry.start -= fit.songStart;
        entry.end -= fit.songStart;
    }
    for (LyricRow& row : sheet.rows) {
        // A row the part's start cuts into begins with its first entry that is kept.
        row.start -= fit.songStart;
        if (row.start < 0.0)
            row.start = sheet.entries[std::size_t(row.firstEntry)].start;
        row.end -= fit.songStart;
    }
}

// Leaves out the entries that start at or after the scene's end; one warning counts them and
// names the first.
void leaveOutLateEntries(LyricParse& parse, std::string_view path, const ShowFit& fit)
{
    LyricSheet& sheet = parse.sheet;
    const LyricEntry* firstLate = nullptr;
    int late = 0;
    for (const LyricEntry& entry : sheet.entries) {
        if (entry.start < fit.sceneEnd)
            continue;
        ++late;
        if (firstLate == nullptr || entry.start < firstLate->start)
            firstLate = &entry;
    }
    if (firstLate != nullptr) {
        char sceneEnd[64];
        std::snprintf(sceneEnd, sizeof sceneEnd, "the lyric scene ends at %g s", fit.sceneEnd);
        std::string count = late == 1 ? "1 entry" : std::to_string(late) + " entries";
        parse.warnings.push_back(whereIn(path, firstLate->sourceLine) + count + " left out: the first, " +
                                 quoted(*firstLate) + ", starts at " + formatLyricSeconds(firstLate->start) +
                                 ", after " + (fit.sceneEndName.empty() ? sceneEnd : fit.sceneEndName));
        keepEntries(sheet, [&](const LyricEntry& entry) { return entry.start < fit.sceneEnd; });
    }
    sheet.leftOut = late;
}

// The most entries up at once, at the first entry's start where that many are up.
std::pair<int, double> mostCrowdedMoment(const std::vector<LyricEntry>& entries)
{
    std::vector<int> up = entriesUpAtStarts(entries);
    double worstTime = 0.0;
    int worst = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (up[i] > worst) {
            worst = up[i];
            worstTime = entries[i].start;
        }
    }
    return {worst, worstTime};
}

// Each row's words, found the first time they are asked for.
class RowWords {
public:
    explicit RowWords(std::size_t rows) : words(rows) {}
    const std::vector<std::vector<LyricEntry>>& of(const LyricSheet& sheet, std::size_t row)
    {
        if (!words[row])
            words[row] = wordsOf(sheet, sheet.rows[row]);
        return *words[row];
    }

private:
    std::vector<std::optional<std::vector<std::vector<LyricEntry>>>> words;
};

// The row with the most entries up at `time` that has more than one entry and more than one
// word, and that many; -1 when none.
std::pair<int, int> rowMostUpAt(const LyricSheet& sheet, RowWords& words, double time)
{
    int chosen = -1;
    int chosenUp = 1;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const LyricRow& row = sheet.rows[r];
        int up = 0;
        for (int i = row.firstEntry; i < row.firstEntry + row.entryCount; ++i)
            up += sheet.entries[std::size_t(i)].start <= time && time < sheet.entries[std::size_t(i)].end;
        if (up > chosenUp && row.entryCount > 1 && words.of(sheet, r).size() > 1) {
            chosen = int(r);
            chosenUp = up;
        }
    }
    return {chosen, chosenUp};
}

// Groups the words of crowded lines until no moment shows more than the show draws, taking
// each time the line with the most entries up at the most crowded moment; a warning names each
// line grouped. Every round leaves at least one entry fewer, so it ends.
void groupCrowdedRows(LyricParse& parse, std::string_view path, const ShowFit& fit)
{
    LyricSheet& sheet = parse.sheet;
    RowWords words(sheet.rows.size());
    std::vector<int> groupedTo(sheet.rows.size(), 0);
    std::vector<std::pair<int, double>> crowdedAt(sheet.rows.size());
    for (;;) {
        auto [worst, worstTime] = mostCrowdedMoment(sheet.entries);
        if (worst <= fit.maximumAtOnce)
            break;
        auto [chosen, chosenUp] = rowMostUpAt(sheet, words, worstTime);
        if (chosen < 0)
            break;  // single entries crowd the screen: the schedule check reports it
        std::size_t r = std::size_t(chosen);
        const std::vector<std::vector<LyricEntry>>& rowWords = words.of(sheet, r);
        int fewer = std::min(worst - fit.maximumAtOnce, chosenUp - 1);
        int groups = std::min(int(rowWords.size()), sheet.rows[r].entryCount - fewer);
        groupRow(sheet, chosen, rowWords, std::max(groups, 1));
        if (groupedTo[r] == 0)
            crowdedAt[r] = {worst, worstTime};
        groupedTo[r] = sheet.rows[r].entryCount;
    }
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        if (groupedTo[r] == 0)
            continue;
        parse.warnings.push_back(whereIn(path, sheet.rows[r].sourceLine) + "its word stamps would put " +
                                 std::to_string(crowdedAt[r].first) + " entries on screen at " +
                                 formatLyricSeconds(crowdedAt[r].second) + ", more than the show's " +
                                 std::to_string(fit.maximumAtOnce) + ": its " +
                                 std::to_string(words.of(sheet, r).size()) + " words are grouped into " +
                                 std::to_string(groupedTo[r]) + " entries");
    }
}

// Seconds `entry` shows inside the lyric scene, which starts at kLyricsStart.
double secondsShown(const LyricEntry& entry, const ShowFit& fit)
{
    return secondsInside(entry, kLyricsStart, fit.sceneEnd);
}

bool tooShort(const LyricEntry& entry, const ShowFit& fit)
{
    return showsTooBriefly(entry, kLyricsStart, fit.sceneEnd, kShortestShowing);
}

// Leaves out the lines before the first sung one that are too short to show, as the title and
// credits a music service stamps at 0:00.01, 0:00.02 …; one warning names them. A file where
// no line shows long enough has no sung line, and keeps its faults for the schedule check.
void leaveOutCredits(LyricParse& parse, std::string_view path, const ShowFit& fit)
{
    LyricSheet& sheet = parse.sheet;
    double firstSung = 0.0;
    bool sung = false;
    for (const LyricEntry& entry : sheet.entries)
        if (!tooShort(entry, fit) && (!sung || entry.start < firstSung)) {
            firstSung = entry.start;
            sung = true;
        }
    if (!sung)
        return;
    auto credit = [&](const LyricEntry& entry) { return entry.start < firstSung && tooShort(entry, fit); };
    std::vector<const LyricEntry*> credits;
    for (const LyricEntry& entry : sheet.entries)
        if (credit(entry))
            credits.push_back(&entry);
    if (credits.empty())
        return;
    constexpr std::size_t kMostNamed = 5;
    std::string names;
    for (std::size_t i = 0; i < credits.size() && i < kMostNamed; ++i)
        names += (i == 0 ? "" : ", ") + quoted(*credits[i]);
    if (credits.size() > kMostNamed)
        names += " and " + std::to_string(credits.size() - kMostNamed) + " more";
    std::string count = credits.size() == 1 ? "1 line" : std::to_string(credits.size()) + " lines";
    char need[16];
    std::snprintf(need, sizeof need, "%.1f s", kShortestShowing);
    parse.warnings.push_back(whereIn(path, credits.front()->sourceLine) + count + " before the first sung line at " +
                             formatLyricSeconds(firstSung) + " left out, each too short to show (the show needs " +
                             need + "): " + names);
    keepEntries(sheet, [&](const LyricEntry& entry) { return !credit(entry); });
}

// Lengthens each entry too short to show up to what it needs, where that ends by the next
// line's start (and the scene's end); a warning each. Those with no room stay for the schedule
// check to report.
void lengthenShortEntries(LyricParse& parse, std::string_view path, const ShowFit& fit)
{
    LyricSheet& sheet = parse.sheet;
    std::vector<double> rowStarts;
    for (const LyricRow& row : sheet.rows)
        rowStarts.push_back(row.start);
    std::sort(rowStarts.begin(), rowStarts.end());
    for (LyricEntry& entry : sheet.entries) {
        if (!tooShort(entry, fit))
            continue;
        auto next = std::upper_bound(rowStarts.begin(), rowStarts.end(), entry.start);
        double room = std::min(next == rowStarts.end() ? fit.sceneEnd : *next, fit.sceneEnd);
        double end = double(milliseconds(std::max(entry.start, kLyricsStart) + kShortestShowing)) / 1000.0;
        if (end > room + 1e-9)
            continue;
        char shown[96];
        std::snprintf(shown, sizeof shown, " would show for %.3f s, less than the %.1f s the show needs: it shows until ",
                      std::max(secondsShown(entry, fit), 0.0), kShortestShowing);
        parse.warnings.push_back(whereIn(path, entry.sourceLine) + quoted(entry) + " at " +
                                 formatLyricSeconds(entry.start) + shown + formatLyricSeconds(end));
        entry.end = end;
        LyricRow& row = sheet.rows[std::size_t(entry.row)];
        row.end = std::max(row.end, end);
    }
}

}  // namespace

ShowFit wholeSongFit(double musicEnd, double songStart)
{
    ShowFit fit;
    fit.songStart = songStart;
    fit.sceneEnd = musicEnd;
    fit.sceneEndName = "the music ends at " + formatLyricSeconds(musicEnd);
    fit.holderName = "the song";
    fit.slots = kMostLyricEntries;
    fit.fillSlots = false;
    return fit;
}

void fitToShow(LyricParse& parse, std::string_view path, const ShowFit& fit)
{
    takePartOfSong(parse, path, fit);
    leaveOutLateEntries(parse, path, fit);
    leaveOutCredits(parse, path, fit);
    lengthenShortEntries(parse, path, fit);
    groupCrowdedRows(parse, path, fit);
    const LyricSheet& sheet = parse.sheet;
    if (int(sheet.entries.size()) > fit.slots) {
        const LyricEntry& extra = sheet.entries[std::size_t(fit.slots)];
        parse.errors.push_back(whereIn(path, extra.sourceLine) + "entry " + std::to_string(fit.slots + 1) + " " +
                               quoted(extra) + " at " + formatLyricSeconds(extra.start) +
                               " is one too many: the show has " + std::to_string(fit.slots) + " slots and " +
                               (fit.holderName.empty() ? "the lyric scene" : fit.holderName) + " holds " +
                               std::to_string(sheet.entries.size()) + " entries");
    }
}

std::vector<int> entriesUpAtStarts(const std::vector<LyricEntry>& entries)
{
    // Every entry ends after it starts, so those up at t are the ones started by t less those
    // ended by t.
    std::vector<double> starts, ends;
    for (const LyricEntry& entry : entries) {
        starts.push_back(entry.start);
        ends.push_back(entry.end);
    }
    std::sort(starts.begin(), starts.end());
    std::sort(ends.begin(), ends.end());
    std::vector<int> up;
    for (const LyricEntry& entry : entries) {
        auto started = std::upper_bound(starts.begin(), starts.end(), entry.start) - starts.begin();
        auto ended = std::upper_bound(ends.begin(), ends.end(), entry.start) - ends.begin();
        up.push_back(int(started - ended));
    }
    return up;
}

double secondsInside(const LyricEntry& entry, double sceneStart, double sceneEnd)
{
    return std::min(entry.end, sceneEnd) - std::max(entry.start, sceneStart);
}

bool showsTooBriefly(const LyricEntry& entry, double sceneStart, double sceneEnd, double needed)
{
    // Times come from whole milliseconds; a difference of doubles may fall a hair short.
    return secondsInside(entry, sceneStart, sceneEnd) < needed - 1e-9;
}
