// Wording the faults of a build, and choosing the build to show.
#include "tools/preview/BuildFaults.h"

#include <cctype>

#include "tools/lib/base/DataFolder.h"

namespace {

std::vector<std::string_view> logLines(std::string_view log)
{
    std::vector<std::string_view> lines;
    while (!log.empty()) {
        size_t end = log.find('\n');
        std::string_view line = log.substr(0, end);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.remove_suffix(1);
        if (!line.empty())
            lines.push_back(line);
        log.remove_prefix(end == std::string_view::npos ? log.size() : end + 1);
    }
    return lines;
}

size_t digitsAt(std::string_view text, size_t at)
{
    size_t end = at;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
        ++end;
    return end - at;
}

// The source line of "S:L(C): rest" or "S:L: rest", and where the rest begins.
bool splitLocation(std::string_view line, std::string_view& sourceLine, std::string_view& rest)
{
    size_t at = digitsAt(line, 0);
    if (at == 0 || at >= line.size() || line[at] != ':')
        return false;
    size_t lineDigits = digitsAt(line, at + 1);
    if (lineDigits == 0)
        return false;
    sourceLine = line.substr(at + 1, lineDigits);
    at += 1 + lineDigits;
    if (at < line.size() && line[at] == '(') {
        size_t column = digitsAt(line, at + 1);
        if (column == 0 || at + 1 + column >= line.size() || line[at + 1 + column] != ')')
            return false;
        at += column + 2;
    }
    if (line.substr(at, 2) != ": ")
        return false;
    rest = line.substr(at + 2);
    return true;
}

}  // namespace

std::vector<std::string> compileFaults(std::string_view path, std::string_view log)
{
    std::vector<std::string> faults;
    for (std::string_view line : logLines(log)) {
        std::string_view sourceLine;
        std::string_view rest;
        if (splitLocation(line, sourceLine, rest))
            faults.push_back(std::string(path) + ":" + std::string(sourceLine) + ": " + std::string(rest));
        else
            faults.push_back(std::string(path) + ": " + std::string(line));
    }
    if (faults.empty())
        faults.push_back(std::string(path) + ": does not compile");
    return faults;
}

std::vector<std::string> linkFaults(std::string_view name, const ProgramSource& source, std::string_view log)
{
    std::string where = std::string(kShowConfigPath) + ":" + std::to_string(source.configLine) + ": program \"" +
                        std::string(name) + "\" does not link";
    std::vector<std::string> faults;
    for (std::string_view line : logLines(log))
        faults.push_back(where + ": " + std::string(line));
    if (faults.empty())
        faults.push_back(where);
    return faults;
}

bool replacesShown(BuildQuality shown, BuildQuality candidate)
{
    if (candidate == BuildQuality::Sound)
        return true;
    return candidate == BuildQuality::Faulty && shown != BuildQuality::Sound;
}
