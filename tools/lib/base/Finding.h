// One problem the checker found in a show folder, and the form it is printed in, the one
// compilers use so editors and CI jump to it: "path:line: error: message", without the line
// where a file has none. Notes carry what --verbose adds and count as neither.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class Severity { Note, Warning, Error };

struct Finding {
    std::string path;
    size_t line = 0;  // 1-based; 0 when the problem belongs to the whole file
    Severity severity = Severity::Error;
    std::string message;
};

// "data/config.txt:3: warning: unknown kind ..."
std::string formatFinding(const Finding& finding);

// Files in the order the checker met them (`firstFiles` first, then as they come); within a
// file the findings with a line by line, then those of the whole file in the order found.
std::vector<Finding> inFileOrder(const std::vector<Finding>& findings, const std::vector<std::string>& firstFiles = {});

// "3 errors, 1 warning".
std::string summaryLine(const std::vector<Finding>& findings);

size_t countOf(const std::vector<Finding>& findings, Severity severity);
