// The timing check.
#include "tools/check/TimingCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

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

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The seconds of `line`'s window that the lyrics scenes show.
double shownSeconds(const TimedLine& line, const TimingRules& rules)
{
    double shown = 0.0;
    for (auto [start, end] : rules.lyricsWindows)
        shown += std::max(0.0, std::min(line.end, end) - std::max(line.start, start));
    return shown;
}

bool meetsLyrics(const TimedLine& line, const TimingRules& rules)
{
    for (auto [start, end] : rules.lyricsWindows) {
        if (std::max(line.start, start) < std::min(line.end, end))
            return true;
    }
    return false;
}

// Where the lyrics scenes run, as a message says it.
std::string lyricsRun(const TimingRules& rules)
{
    if (!rules.listed)
        return "the lyrics run from " + seconds(kLyricsStart) + " to " + seconds(kLyricsEnd) + " s";
    return rules.lyricsWindows.empty() ? "the scene list has no lyrics scene" : "no lyrics scene of the list holds it";
}

void checkWindow(const TimingCheck& check, int index, const TimedLine& line, bool transparent, const std::string& path,
                 std::vector<Finding>& findings)
{
    std::string pair = "pair " + std::to_string(index + 1) + " (\"" + check.name(index) + "\")";
    std::string window = seconds(line.start) + " to " + seconds(line.end) + " s";
    if (!(line.start < line.end)) {
        findings.push_back({path, line.line, Severity::Error,
                            pair + ": start " + seconds(line.start) + " is not before end " + seconds(line.end) +
                                ", so it never shows"});
    } else if (!line.shows) {
        findings.push_back({path, line.line, Severity::Warning, pair + ", " + window + ", never shows: " + lyricsRun(check.rules)});
    } else if (shownSeconds(line, check.rules) < kShortestShowing) {
        findings.push_back({path, line.line, Severity::Warning,
                            pair + " shows for only " + seconds(shownSeconds(line, check.rules)) +
                                " s within the lyrics (" + window + "), under " + seconds(kShortestShowing) + " s"});
    }
    if (line.shows && transparent)
        findings.push_back({path, line.line, Severity::Warning,
                            pair + " shows from " + window + ", but its image is fully transparent and draws nothing"});
}

std::vector<Crowd> findCrowds(const TimingCheck& check)
{
    const int count = int(check.lines.size());
    std::vector<double> lineStart(check.lines.size());
    std::vector<double> lineEnd(check.lines.size());
    for (size_t i = 0; i < check.lines.size(); ++i) {
        lineStart[i] = check.lines[i].start;
        lineEnd[i] = check.lines[i].end;
    }
    std::vector<Crowd> crowds;
    for (auto [sceneStart, sceneEnd] : check.rules.lyricsWindows) {
        std::vector<double> moments = lyricWindowEdges(lineStart.data(), lineEnd.data(), count, sceneStart, sceneEnd);
        for (size_t i = 0; i + 1 < moments.size(); ++i) {
            double middle = (moments[i] + moments[i + 1]) / 2.0;
            int shown = 0;
            int newest = -1;
            forEachActiveLine(lineStart.data(), lineEnd.data(), count, middle, [&](int line, float) {
                ++shown;
                if (newest < 0 || lineStart[size_t(line)] >= lineStart[size_t(newest)])
                    newest = line;
            });
            if (shown <= kMostLinesAtOnce)
                continue;
            if (!crowds.empty() && crowds.back().to == moments[i]) {
                crowds.back().to = moments[i + 1];
                crowds.back().count = std::max(crowds.back().count, shown);
            } else {
                crowds.push_back({moments[i], moments[i + 1], shown, newest});
            }
        }
    }
    return crowds;
}

// The token at `offset`, whole.
std::string tokenAt(const std::string& text, size_t offset)
{
    size_t begin = offset;
    while (begin > 0 && !isSpace(text[begin - 1]))
        --begin;
    size_t end = offset;
    while (end < text.size() && !isSpace(text[end]))
        ++end;
    return text.substr(begin, end - begin);
}

// "lines \"075\" to \"000\" (76) never show", from line `first` of the stock 87 to the last.
std::string hiddenFrom(const TimingCheck& check, int first)
{
    int count = kLyricLineCount - first;
    if (count == 1)
        return "line \"" + check.name(first) + "\" never shows";
    return "lines \"" + check.name(first) + "\" to \"" + check.name(kLyricLineCount - 1) + "\" (" +
           std::to_string(count) + ") never show";
}

// Why the stock show's reading stopped before its 87th pair, and which lines stay hidden for it.
void reportEarlyStop(const TimingCheck& check, const std::string& text, const std::string& path, const TimingRead& read,
                     size_t stoppedAt, std::vector<Finding>& findings)
{
    int stopped = read.pairsRead;
    if (std::string_view(read.stopReason) == "not a number") {
        findings.push_back({path, lineAt(text, stoppedAt), Severity::Error,
                            "pair " + std::to_string(stopped + 1) + " (\"" + check.name(stopped) + "\"): \"" +
                                tokenAt(text, stoppedAt) + "\" is not a number; reading stops here, so " +
                                hiddenFrom(check, stopped)});
    } else if (text.find_first_not_of(" \t\r\n\v\f") == std::string::npos) {
        findings.push_back({path, 0, Severity::Error, "no pairs: all 87 lyric lines stay hidden"});
    } else {
        size_t last = text.find_last_not_of(" \t\r\n\v\f");
        findings.push_back({path, lineAt(text, last), Severity::Error,
                            "only " + std::to_string(stopped) + " whole pairs of " + std::to_string(kLyricLineCount) +
                                ": " + hiddenFrom(check, stopped)});
    }
}

// What a show with a scene list makes of a file it cannot read whole: nothing, or the first
// thousand pairs.
void reportListedStop(const std::string& text, const std::string& path, const TimingRead& read, size_t stoppedAt,
                      bool beyond, std::vector<Finding>& findings)
{
    if (std::string_view(read.stopReason) == "not a number")
        findings.push_back({path, lineAt(text, stoppedAt), Severity::Error,
                            "pair " + std::to_string(read.pairsRead + 1) + ": \"" + tokenAt(text, stoppedAt) +
                                "\" is not a number; the lines' images are named by how many pairs there are, so "
                                "every lyric line stays hidden"});
    else if (beyond)
        findings.push_back({path, lineAt(text, stoppedAt), Severity::Error,
                            "pair " + std::to_string(kMostLyricEntries + 1) + " is one too many: a show times at most " +
                                std::to_string(kMostLyricEntries) + " lyric lines; it and every later pair stay hidden"});
}

}  // namespace

std::string TimingCheck::name(int line) const
{
    return lineTextureName(line, int(lines.size())).data();
}

TimingCheck readTimingForCheck(const std::optional<std::string>& text, const std::string& path,
                               const TimingRules& rules, std::vector<Finding>& findings)
{
    TimingCheck check;
    check.rules = rules;
    const int most = rules.listed ? kMostLyricEntries : kLyricLineCount;
    std::vector<double> lineStart(size_t(most), 0.0);
    std::vector<double> lineEnd(size_t(most), 0.0);
    std::vector<long> pairOffsets(size_t(most), 0);
    TimingRead read{0, "end of file"};
    long stoppedAt = 0;
    bool beyond = false;
    std::string copy = text.value_or("");
    // An empty text reads like an empty file; fmemopen may refuse one.
    if (!copy.empty()) {
        if (std::FILE* file = fmemopen(copy.data(), copy.size(), "r")) {
            read = readTimingPairs(file, lineStart.data(), lineEnd.data(), most, pairOffsets.data());
            stoppedAt = std::ftell(file);
            double more[2] = {0.0, 0.0};
            beyond = rules.listed && read.pairsRead == most && std::fscanf(file, "%lf %lf", &more[0], &more[1]) > 0;
            std::fclose(file);
        }
    }
    bool unreadable = std::string_view(read.stopReason) == "not a number";
    int lineCount = rules.listed ? (unreadable ? 0 : read.pairsRead) : kLyricLineCount;
    check.lines.resize(size_t(lineCount));
    if (!text) {
        findings.push_back({path, 0, Severity::Error,
                            rules.listed ? "cannot read it: every lyric line stays hidden"
                                         : "cannot read it: all 87 lyric lines stay hidden"});
        return check;
    }
    if (rules.listed)
        reportListedStop(*text, path, read, size_t(stoppedAt), beyond, findings);
    else if (read.pairsRead < kLyricLineCount)
        reportEarlyStop(check, *text, path, read, size_t(stoppedAt), findings);

    for (int index = 0; index < lineCount; ++index) {
        TimedLine& line = check.lines[size_t(index)];
        // A pair cut short keeps what it matched, as in the show.
        line.start = lineStart[size_t(index)];
        line.end = lineEnd[size_t(index)];
        line.read = index < read.pairsRead;
        line.line = line.read ? lineAt(*text, size_t(pairOffsets[size_t(index)])) : 0;
    }
    return check;
}

void checkTimingWindows(TimingCheck& check, const std::string& path, const std::vector<bool>& transparent,
                        std::vector<Finding>& findings)
{
    for (size_t index = 0; index < check.lines.size(); ++index) {
        TimedLine& line = check.lines[index];
        if (!line.read)
            continue;
        line.shows = meetsLyrics(line, check.rules);
        bool clear = index < transparent.size() && transparent[index];
        line.unused = clear && !line.shows;
        if (!line.unused)
            checkWindow(check, int(index), line, clear, path, findings);
    }
    check.crowds = findCrowds(check);
    for (const Crowd& crowd : check.crowds) {
        findings.push_back({path, check.lines[size_t(crowd.line)].line, Severity::Warning,
                            std::to_string(crowd.count) + " lines show at once from " + seconds(crowd.from) + " to " +
                                seconds(crowd.to) + " s, when \"" + check.name(crowd.line) +
                                "\" appears: from the eleventh on, \"zscore\" falls to zero and below"});
    }
}
