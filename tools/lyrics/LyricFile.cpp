// The lyric file parser: tag lines, time tags (points and ranges), word stamps, and the end of
// each line, with every fault reported as "<path>:<line>: <what>".
#include "tools/lyrics/LyricFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

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

std::string formatTime(long long milliseconds)
{
    char buffer[48];
    const char* sign = milliseconds < 0 ? "-" : "";
    long long magnitude = milliseconds < 0 ? -milliseconds : milliseconds;
    std::snprintf(buffer, sizeof buffer, "%s%02lld:%02lld.%03lld", sign, magnitude / 60000, magnitude / 1000 % 60,
                  magnitude % 1000);
    return buffer;
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
};

class Parser {
public:
    Parser(std::string_view path) : path(path) {}

    void error(int line, const std::string& what)
    {
        result.errors.push_back(std::string(path) + ":" + std::to_string(line) + ": " + what);
    }

    void parseLine(std::string_view line, int number);
    void finish(std::optional<int> expectedEntries, int lastLine);

    LyricParse result;

private:
    bool parseTags(std::string_view line, int number, std::size_t& position, std::vector<TimeTag>& times,
                   bool& metadata);
    bool parseWords(std::string_view text, int number, long long lineStart, PendingRow& row);

    std::string_view path;
    std::vector<PendingRow> rows;
    std::vector<long long> starts;  // every line's start, rows and pause markers alike
    bool offsetSeen = false;
};

// Reads the tags at the front of the line: time tags ([mm:ss.xx] or [mm:ss.xx-mm:ss.xx]) or
// metadata tags ([ar:…]), leaving `position` at the text after them.
bool Parser::parseTags(std::string_view line, int number, std::size_t& position, std::vector<TimeTag>& times,
                       bool& metadata)
{
    bool ok = true;
    while (position < line.size() && line[position] == '[') {
        std::size_t close = line.find(']', position);
        if (close == std::string_view::npos) {
            error(number, "unclosed tag '" + std::string(line.substr(position)) + "'");
            return false;
        }
        std::string_view content = line.substr(position + 1, close - position - 1);
        std::string shown = "[";
        shown.append(content).push_back(']');
        if (!content.empty() && isDigit(content.front())) {
            TimeTag tag;
            std::size_t dash = content.find('-');
            std::optional<long long> start = parseLyricTime(content.substr(0, dash));
            std::optional<long long> end;
            if (dash != std::string_view::npos)
                end = parseLyricTime(content.substr(dash + 1));
            if (!start || (dash != std::string_view::npos && !end)) {
                error(number, "unreadable time tag " + shown + ": expected [mm:ss.xx] or [mm:ss.xx-mm:ss.xx]");
                ok = false;
            } else if (end && *end <= *start) {
                error(number, "time tag " + shown + " ends before it starts");
                ok = false;
            } else {
                times.push_back({*start, end});
            }
        } else {
            std::size_t colon = content.find(':');
            std::string key(content.substr(0, colon == std::string_view::npos ? 0 : colon));
            bool keyOk = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '#';
            });
            if (!keyOk) {
                error(number, "unreadable tag " + shown + ": expected a time like [01:02.50] or a tag like [ar:Artist]");
                ok = false;
            } else {
                metadata = true;
                std::transform(key.begin(), key.end(), key.begin(),
                               [](unsigned char c) { return char(std::tolower(c)); });
                if (key == "offset") {
                    std::string_view value = trim(content.substr(colon + 1));
                    bool negative = !value.empty() && value.front() == '-';
                    if (!value.empty() && (value.front() == '+' || value.front() == '-'))
                        value.remove_prefix(1);
                    std::optional<long long> magnitude = parseDigits(value);
                    if (!magnitude) {
                        error(number, "unreadable offset " + shown + ": expected whole milliseconds like [offset:+250]");
                        ok = false;
                    } else if (offsetSeen) {
                        error(number, "a second offset tag: the file has one offset");
                        ok = false;
                    } else {
                        offsetSeen = true;
                        result.sheet.offsetMilliseconds = int(negative ? -*magnitude : *magnitude);
                    }
                }
            }
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
        if (text[i] == '<' && i + 1 < text.size() && isDigit(text[i + 1])) {
            std::size_t close = text.find('>', i);
            if (close == std::string_view::npos) {
                error(number, "unclosed word stamp '" + std::string(text.substr(i)) + "'");
                return false;
            }
            std::string shown(text.substr(i, close - i + 1));
            std::optional<long long> stamp = parseLyricTime(text.substr(i + 1, close - i - 1));
            if (!stamp) {
                error(number, "unreadable word stamp " + shown + ": expected <mm:ss.xx>");
                ok = false;
            } else if (*stamp < previous) {
                error(number, "word stamp " + shown + " is earlier than " +
                                  (previous == lineStart ? "the line's start " : "the stamp before it, ") +
                                  formatTime(previous));
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
    if (content.front() != '[') {
        error(number, "expected a time tag like [01:02.50] at the start of the line");
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

    for (const TimeTag& tag : times) {
        PendingRow row;
        row.start = tag.start;
        row.end = tag.end;
        row.line = number;
        if (!parseWords(text, number, tag.start, row))
            return;
        if (times.size() > 1 && (row.pieces.size() > 1 || row.closingStamp)) {
            error(number, "word stamps need a line with a single time tag");
            return;
        }
        starts.push_back(tag.start);
        if (row.pieces.empty()) {
            // A time with no words is an LRC pause: it only ends the line before it.
            if (row.end || row.closingStamp)
                error(number, "a timed line with no words");
            continue;
        }
        rows.push_back(std::move(row));
    }
}

void Parser::finish(std::optional<int> expectedEntries, int lastLine)
{
    std::sort(starts.begin(), starts.end());
    LyricSheet& sheet = result.sheet;
    for (PendingRow& pending : rows) {
        long long end = 0;
        if (pending.end) {
            end = *pending.end;
            if (pending.closingStamp && *pending.closingStamp != end) {
                error(pending.line, "the closing stamp " + formatTime(*pending.closingStamp) +
                                        " differs from the line's end " + formatTime(end));
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
                error(pending.line, "the words '" + pending.phrase.substr(piece.begin, piece.end - piece.begin) +
                                        "' start at " + formatTime(piece.start) + ", not before the line ends at " +
                                        formatTime(end));
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

    if (!result.errors.empty() || !expectedEntries)
        return;
    int count = int(sheet.entries.size());
    if (count > *expectedEntries) {
        error(sheet.entries[*expectedEntries].sourceLine,
              "entry " + std::to_string(*expectedEntries + 1) + " '" + sheet.entries[*expectedEntries].text +
                  "' is one too many: the show needs exactly " + std::to_string(*expectedEntries) + " entries, the file has " +
                  std::to_string(count));
    } else if (count < *expectedEntries) {
        error(lastLine, "only " + std::to_string(count) + " entries: the show needs exactly " +
                            std::to_string(*expectedEntries));
    }
}

}  // namespace

std::optional<long long> parseLyricTime(std::string_view text)
{
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view secondsPart = text.substr(colon + 1);
    std::size_t dot = secondsPart.find('.');
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

LyricParse parseLyrics(std::string_view text, std::string_view path, std::optional<int> expectedEntries)
{
    Parser parser(path);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        ++number;
        parser.parseLine(line, number);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
    parser.finish(expectedEntries, std::max(number, 1));
    return std::move(parser.result);
}
