// Reading a GL driver's compile and link log into its messages, each with the source line it
// names, whichever of the common forms the driver writes:
//
//   0:12(5): error: `undeclared' undeclared          Mesa (also without the column)
//   0(12) : error C1008: undefined variable "x"       NVIDIA
//   ERROR: 0:12: 'x' : undeclared identifier          AMD, Apple
//   error: main function not found                    any, no line
//
// No GL. The checker reports them as findings, the preview as the faults of a rebuild.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/base/Finding.h"

struct DriverMessage {
    size_t line = 0;  // 0 when the message names none
    Severity severity = Severity::Error;
    std::string message;
    bool severityNamed = true;  // false: the line names none and `message` is the whole line
};

// One per problem: each non-empty line of `log` once, an indented one joined to the message
// before it. A line that names no severity takes `otherwise`.
std::vector<DriverMessage> readDriverLog(std::string_view log, Severity otherwise);
