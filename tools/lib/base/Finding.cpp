// Printing and ordering the checker's findings.
#include "tools/lib/base/Finding.h"

#include <algorithm>
#include <map>

std::string formatFinding(const Finding& finding)
{
    static const char* const kWords[] = {"note", "warning", "error"};
    std::string text = finding.path;
    if (finding.line > 0)
        text += ":" + std::to_string(finding.line);
    text += ": ";
    text += kWords[int(finding.severity)];
    text += ": " + finding.message;
    return text;
}

std::vector<Finding> inFileOrder(const std::vector<Finding>& findings, const std::vector<std::string>& firstFiles)
{
    std::map<std::string, size_t> fileRank;
    for (const std::string& path : firstFiles)
        fileRank.emplace(path, fileRank.size());
    for (const Finding& finding : findings)
        fileRank.emplace(finding.path, fileRank.size());
    std::vector<Finding> ordered = findings;
    std::stable_sort(ordered.begin(), ordered.end(), [&](const Finding& a, const Finding& b) {
        size_t rankA = fileRank[a.path];
        size_t rankB = fileRank[b.path];
        if (rankA != rankB)
            return rankA < rankB;
        // A whole-file finding sorts after every line of its file.
        size_t lineA = a.line == 0 ? SIZE_MAX : a.line;
        size_t lineB = b.line == 0 ? SIZE_MAX : b.line;
        return lineA < lineB;
    });
    return ordered;
}

size_t countOf(const std::vector<Finding>& findings, Severity severity)
{
    return size_t(std::count_if(findings.begin(), findings.end(),
                                [severity](const Finding& finding) { return finding.severity == severity; }));
}

std::string summaryLine(const std::vector<Finding>& findings)
{
    size_t errors = countOf(findings, Severity::Error);
    size_t warnings = countOf(findings, Severity::Warning);
    return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
           (warnings == 1 ? " warning" : " warnings");
}
