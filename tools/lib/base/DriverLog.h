// Reading a GL driver's compile and link log into its messages, each with the source line it
// names, whichever of the common forms the driver writes:
//
//   0:12(5): error: `undeclared' undeclared          Mesa (also without the column)
//   0(12) : error C1008: undefined variable "x"       NVIDIA
//   ERROR: 0:12: 'x' : undeclared identifier          AMD, Apple
//   error: main function not found                    any, no line
//
// No GL. The checker reports them as findings, the preview as the faults of a rebuild.
//
// A parser reports a syntax error at the token it could not take, so a ';' missing at the end
// of line 63 is reported on the line of the next token: 66 when two blank or comment lines come
// between. Given the source, a syntax error whose line starts with that token after a code
// line that ends where a ';' could go is moved to that code line, the line a user must look at,
// and says where the driver put it.
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
    size_t column = 0;          // Mesa's column, 0 when the driver names none
};

// One per problem: each non-empty line of `log` once, an indented one joined to the message
// before it. A line that names no severity takes `otherwise`. With the `source` that was
// compiled, syntax errors are placed where the fault is (above).
std::vector<DriverMessage> readDriverLog(std::string_view log, Severity otherwise, std::string_view source = {});
