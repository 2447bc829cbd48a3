// The timing check.
#include "tools/check/TimingCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "rules/LyricLayers.h"
#include "rules/ShowTimeline.h"

namespace {

bool isSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The line of the first character at or after `offset` that is not white space; reading skips
// white space before a number.
size_t lineAt(const std::string& text, size_t offset)
{
    while (offset < text.size() && isSpace(text[offset]))
        ++offset;
    return size_t(1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(std::min(offset, text.size())), '\n'));
}

std::string name(int line)
{
    return std::string("\"") + lineTextureName(line).data() + "\"";
}

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// "lines \"075\" to \"000\" (76) never show", from line `first` to the last.
std::string hiddenFrom(int first)
{
    int count = kLyricLineCount - first;
    if (count == 1)
        return "line " + name(first) + " never shows";
    return "lines " + name(first) + " to " + name(kLyricLineCount - 1) + " (" + std::to_string(count) + ") never show";
}

double shownSeconds(const TimedLine& line)
{
    return std::min(line.end, kLyricsEnd) - std::max(line.start, kLyricsStart);
}

void checkWindow(int index, const TimedLine& line, bool transparent, const std::string& path,
                 std::vector<Finding>& findings)
{
    std::string pair = "pair " + std::to_string(index + 1) + " (" + name(index) + ")";
    std::string window = seconds(line.start) + " to " + seconds(line.end) + " s";
    if (!(line.start < line.end)) {
        findings.push_back({path, line.line, Severity::Error,
                            pair + ": start " + seconds(line.start) + " is not before end " + seconds(line.end) +
                                ", so it never shows"});
    } else if (!line.shows) {
        findings.push_back({path, line.line, Severity::Warning,
                            pair + ", " + window + ", never shows: the lyrics run from " + seconds(kLyricsStart) +
                                " to " + seconds(kLyricsEnd) + " s"});
    } else if (shownSeconds(line) < kShortestShowing) {
        findings.push_back({path, line.line, Severity::Warning,
                            pair + " shows for only " + seconds(shownSeconds(line)) + " s within the lyrics (" + window +
                                "), under " + seconds(kShortestShowing) + " s"});
    }
    if (line.shows && transparent)
        findings.push_back({path, line.line, Severity::Warning,
                            pair + " shows from " + window + ", but its image is fully transparent and draws nothing"});
}

std::vector<Crowd> findCrowds(const double (&lineStart)[kLyricLineCount], const double (&lineEnd)[kLyricLineCount])
{
    std::vector<double> moments = lyricWindowEdges(lineStart, lineEnd);

    std::vector<Crowd> crowds;
    for (size_t i = 0; i + 1 < moments.size(); ++i) {
        double middle = (moments[i] + moments[i + 1]) / 2.0;
        int count = 0;
        int newest = -1;
        forEachActiveLine(lineStart, lineEnd, middle, [&](int line, float) {
            ++count;
            if (newest < 0 || lineStart[line] >= lineStart[newest])
                newest = line;
        });
        if (count <= kMostLinesAtOnce)
            continue;
        if (!crowds.empty() && crowds.back().to == moments[i]) {
            crowds.back().to = moments[i + 1];
            crowds.back().count = std::max(crowds.back().count, count);
        } else {
            crowds.push_back({moments[i], moments[i + 1], count, newest});
        }
    }
    return crowds;
}

// Why reading stopped before the last pair, and which lines stay hidden for it.
void reportEarlyStop(const std::string& text, const std::string& path, const TimingRead& read, size_t stoppedAt,
                     std::vector<Finding>& findings)
{
    int stopped = read.pairsRead;
    if (std::string_view(read.stopReason) == "not a number") {
        size_t begin = stoppedAt;
        while (begin > 0 && !isSpace(text[begin - 1]))
            --begin;
        size_t end = stoppedAt;
        while (end < text.size() && !isSpace(text[end]))
            ++end;
        findings.push_back({path, lineAt(text, stoppedAt), Severity::Error,
                            "pair " + std::to_string(stopped + 1) + " (" + name(stopped) + "): \"" +
                                text.substr(begin, end - begin) + "\" is not a number; reading stops here, so " +
                                hiddenFrom(stopped)});
    } else if (text.find_first_not_of(" \t\r\n\v\f") == std::string::npos) {
        findings.push_back({path, 0, Severity::Error, "no pairs: all 87 lyric lines stay hidden"});
    } else {
        size_t last = text.find_last_not_of(" \t\r\n\v\f");
        findings.push_back({path, lineAt(text, last), Severity::Error,
                            "only " + std::to_string(stopped) + " whole pairs of " + std::to_string(kLyricLineCount) +
                                ": " + hiddenFrom(stopped)});
    }
}

}  // namespace

TimingCheck checkTiming(const std::optional<std::string>& text, const std::string& path,
                        const std::array<bool, kLyricLineCount>& transparent, std::vector<Finding>& findings)
{
    TimingCheck check;
    if (!text) {
        findings.push_back({path, 0, Severity::Error, "cannot read it: all 87 lyric lines stay hidden"});
        return check;
    }
    double lineStart[kLyricLineCount] = {};
    double lineEnd[kLyricLineCount] = {};
    long pairOffsets[kLyricLineCount] = {};
    TimingRead read{0, "end of file"};
    long stoppedAt = 0;
    std::string copy = *text;
    // An empty text reads like an empty file; fmemopen may refuse one.
    if (!copy.empty()) {
        if (std::FILE* file = fmemopen(copy.data(), copy.size(), "r")) {
            read = readTimingPairs(file, lineStart, lineEnd, pairOffsets);
            stoppedAt = std::ftell(file);
            std::fclose(file);
        }
    }

    if (read.pairsRead < kLyricLineCount)
        reportEarlyStop(*text, path, read, size_t(stoppedAt), findings);

    for (int index = 0; index < read.pairsRead; ++index) {
        TimedLine& line = check.lines[size_t(index)];
        line.start = lineStart[index];
        line.end = lineEnd[index];
        line.read = true;
        line.line = lineAt(*text, size_t(pairOffsets[index]));
        line.shows = std::max(line.start, kLyricsStart) < std::min(line.end, kLyricsEnd);
        line.unused = transparent[size_t(index)] && !line.shows;
        if (!line.unused)
            checkWindow(index, line, transparent[size_t(index)], path, findings);
    }
    // A pair cut short keeps what it matched, as in the show.
    for (int index = read.pairsRead; index < kLyricLineCount; ++index) {
        check.lines[size_t(index)].start = lineStart[index];
        check.lines[size_t(index)].end = lineEnd[index];
    }

    check.crowds = findCrowds(lineStart, lineEnd);
    for (const Crowd& crowd : check.crowds) {
        findings.push_back({path, check.lines[size_t(crowd.line)].line, Severity::Warning,
                            std::to_string(crowd.count) + " lines show at once from " + seconds(crowd.from) + " to " +
                                seconds(crowd.to) + " s, when " + name(crowd.line) + " appears: from the eleventh on, " +
                                "\"zscore\" falls to zero and below"});
    }
    return check;
}
