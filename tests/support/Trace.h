// GL call traces for end-to-end tests: the text of `apitrace dump` read into calls (name,
// named argument texts, result) and small queries that tests combine: find in order, count,
// argument values, braced lists and attribute lists, the calls of each presented frame.
//
//   Trace trace = readTrace(folder / "show.trace");
//   std::vector<size_t> found = trace.findInOrder({{"glEnable", {{"cap", "GL_BLEND"}}},
//                                                   {"glBlendFunc"}});
//   size_t presented = trace.count({"glXSwapBuffers"});
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TraceArgument {
    std::string name;
    std::string value;  // as dumped: "GL_BLEND", "0.5", "{1, 0, 0}", "&\"text\"", "NULL"
};

struct TraceCall {
    long number = 0;  // apitrace's call number
    std::string name;
    std::vector<TraceArgument> arguments;
    std::string result;  // the text after " = ", empty for calls without a result

    // Value text of the named argument; nullopt when the call has no argument of that name.
    std::optional<std::string> argument(std::string_view argumentName) const;
};
std::ostream& operator<<(std::ostream& out, const TraceCall& call);

// A call to look for: its name and, for the arguments named here, their exact value text.
struct CallPattern {
    CallPattern(std::string callName, std::vector<TraceArgument> namedArguments = {})
        : name(std::move(callName)), arguments(std::move(namedArguments))
    {
    }

    std::string name;
    std::vector<TraceArgument> arguments;

    bool matches(const TraceCall& call) const;
};
std::ostream& operator<<(std::ostream& out, const CallPattern& pattern);

// The calls the program made, in order. The calls apitrace adds for its replayer ("// fake",
// such as a glViewport after each glXMakeCurrent) are left out: the program never made them.
class Trace {
public:
    explicit Trace(std::string_view dump);

    // Index of the first matching call at or after `from`.
    std::optional<size_t> find(const CallPattern& pattern, size_t from = 0) const;
    // Index of the last matching call before `before`.
    std::optional<size_t> findLast(const CallPattern& pattern, size_t before = SIZE_MAX) const;
    size_t count(const CallPattern& pattern) const;
    // Finds each pattern after the one before it and returns their indices; the result stops
    // short at the first pattern that has no match, so its size tells which one is missing.
    std::vector<size_t> findInOrder(const std::vector<CallPattern>& patterns, size_t from = 0) const;
    // The calls of each presented frame: those after the previous buffer swap up to and
    // including this one. Calls after the last swap belong to no frame.
    std::vector<std::span<const TraceCall>> frames() const;

    std::vector<TraceCall> calls;
};

// glXSwapBuffers or eglSwapBuffers.
bool isBufferSwap(const TraceCall& call);

// The items of a braced list, nested lists and strings kept whole: "{a, {b, c}, \"d, e\"}" gives
// "a", "{b, c}", "\"d, e\"".
std::vector<std::string> listItems(std::string_view list);

// The name/value pairs of a GLX or EGL attribute list ("{GLX_RED_SIZE, 3, ..., 0}"), read up to
// its terminator (0, None or EGL_NONE).
std::map<std::string, std::string> attributePairs(std::string_view list);

// Dumps and reads a trace file.
Trace readTrace(const std::filesystem::path& trace);

// The lines of a traced program's standard error without the tracer's own ("apitrace: ...").
std::vector<std::string> linesWithoutTracer(std::string_view standardError);

// The lines the show itself wrote to standard error ("sovane05: ..."), without what libraries
// and the tracer add.
std::vector<std::string> showLines(std::string_view standardError);
