// Reading `apitrace dump` text. A call normally takes one line, but strings are dumped as they
// are (a shader's source spans many lines and may hold commas, brackets and escaped quotes), so
// the text is walked knowing what is inside a string and how deep in brackets it is.
#include "tests/support/Trace.h"

#include <algorithm>
#include <cctype>

#include "tests/support/ShowRun.h"

namespace {

// Steps through dump text one character at a time, tracking quoted strings (with backslash
// escapes) and bracket depth, so that separators count only at the top level.
struct Scanner {
    std::string_view text;
    size_t pos = 0;
    int depth = 0;
    bool inString = false;

    bool done() const { return pos >= text.size(); }
    bool atTopLevel() const { return !inString && depth == 0; }

    void step()
    {
        char c = text[pos];
        if (inString) {
            if (c == '\\' && pos + 1 < text.size()) {
                pos += 2;
                return;
            }
            if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '(' || c == '{' || c == '[') {
            ++depth;
        } else if (c == ')' || c == '}' || c == ']') {
            --depth;
        }
        ++pos;
    }
};

std::vector<std::string> splitTopLevel(std::string_view text, std::string_view separator)
{
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    Scanner scanner{text};
    size_t start = 0;
    while (!scanner.done()) {
        if (scanner.atTopLevel() && text.substr(scanner.pos, separator.size()) == separator) {
            pieces.emplace_back(text.substr(start, scanner.pos - start));
            scanner.pos += separator.size();
            start = scanner.pos;
            continue;
        }
        scanner.step();
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

// Position of `needle` at the top level of `text`, or npos.
size_t findTopLevel(std::string_view text, std::string_view needle)
{
    Scanner scanner{text};
    while (!scanner.done()) {
        if (scanner.atTopLevel() && text.substr(scanner.pos, needle.size()) == needle)
            return scanner.pos;
        scanner.step();
    }
    return std::string_view::npos;
}

bool isNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == ':';
}

// Reads the call that starts at `pos` ("<number> <name>(<arguments>)[ = <result>][ // <note>]")
// and moves `pos` past its last line. Returns nullopt, with `pos` past the line, when the line
// is not a call. `fake` tells whether apitrace added the call for its replayer.
std::optional<TraceCall> readCall(std::string_view dump, size_t& pos, bool& fake)
{
    auto skipLine = [&] {
        size_t end = dump.find('\n', pos);
        pos = end == std::string_view::npos ? dump.size() : end + 1;
    };
    size_t p = pos;
    while (p < dump.size() && std::isdigit(static_cast<unsigned char>(dump[p])) != 0)
        ++p;
    if (p == pos || p >= dump.size() || dump[p] != ' ') {
        skipLine();
        return std::nullopt;
    }
    TraceCall call;
    call.number = std::stol(std::string(dump.substr(pos, p - pos)));
    size_t nameStart = ++p;
    while (p < dump.size() && isNameCharacter(dump[p]))
        ++p;
    if (p == nameStart || p >= dump.size() || dump[p] != '(') {
        skipLine();
        return std::nullopt;
    }
    call.name = std::string(dump.substr(nameStart, p - nameStart));

    Scanner scanner{dump, p};
    scanner.step();
    while (!scanner.done() && !(scanner.atTopLevel() && dump[scanner.pos - 1] == ')'))
        scanner.step();
    std::string_view argumentText = dump.substr(p + 1, scanner.pos - p - 2);
    for (const std::string& piece : splitTopLevel(argumentText, ", ")) {
        size_t equals = piece.find(" = ");
        if (equals == std::string::npos)
            call.arguments.push_back({"", piece});
        else
            call.arguments.push_back({piece.substr(0, equals), piece.substr(equals + 3)});
    }

    size_t restStart = scanner.pos;
    while (!scanner.done() && !(dump[scanner.pos] == '\n' && !scanner.inString))
        scanner.step();
    std::string_view rest = dump.substr(restStart, scanner.pos - restStart);
    pos = scanner.done() ? dump.size() : scanner.pos + 1;

    size_t note = findTopLevel(rest, " // ");
    fake = note != std::string_view::npos && rest.substr(note + 4) == "fake";
    std::string_view beforeNote = rest.substr(0, note);
    if (beforeNote.starts_with(" = "))
        call.result = std::string(beforeNote.substr(3));
    return call;
}

}  // namespace

std::optional<std::string> TraceCall::argument(std::string_view argumentName) const
{
    for (const TraceArgument& argument : arguments) {
        if (argument.name == argumentName)
            return argument.value;
    }
    return std::nullopt;
}

std::ostream& operator<<(std::ostream& out, const TraceCall& call)
{
    out << call.number << ' ' << call.name << '(';
    for (size_t i = 0; i < call.arguments.size(); ++i)
        out << (i > 0 ? ", " : "") << call.arguments[i].name << " = " << call.arguments[i].value;
    out << ')';
    if (!call.result.empty())
        out << " = " << call.result;
    return out;
}

bool CallPattern::matches(const TraceCall& call) const
{
    if (call.name != name)
        return false;
    return std::all_of(arguments.begin(), arguments.end(), [&](const TraceArgument& wanted) {
        return call.argument(wanted.name) == wanted.value;
    });
}

std::ostream& operator<<(std::ostream& out, const CallPattern& pattern)
{
    out << pattern.name << '(';
    for (size_t i = 0; i < pattern.arguments.size(); ++i)
        out << (i > 0 ? ", " : "") << pattern.arguments[i].name << " = " << pattern.arguments[i].value;
    return out << (pattern.arguments.empty() ? "...)" : ")");
}

Trace::Trace(std::string_view dump)
{
    size_t pos = 0;
    while (pos < dump.size()) {
        bool fake = false;
        std::optional<TraceCall> call = readCall(dump, pos, fake);
        if (call && !fake)
            calls.push_back(std::move(*call));
    }
}

std::optional<size_t> Trace::find(const CallPattern& pattern, size_t from) const
{
    for (size_t i = from; i < calls.size(); ++i) {
        if (pattern.matches(calls[i]))
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> Trace::findLast(const CallPattern& pattern, size_t before) const
{
    for (size_t i = std::min(before, calls.size()); i > 0; --i) {
        if (pattern.matches(calls[i - 1]))
            return i - 1;
    }
    return std::nullopt;
}

size_t Trace::count(const CallPattern& pattern) const
{
    return size_t(std::count_if(calls.begin(), calls.end(), [&](const TraceCall& call) { return pattern.matches(call); }));
}

std::vector<size_t> Trace::findInOrder(const std::vector<CallPattern>& patterns, size_t from) const
{
    std::vector<size_t> found;
    for (const CallPattern& pattern : patterns) {
        std::optional<size_t> index = find(pattern, from);
        if (!index)
            break;
        found.push_back(*index);
        from = *index + 1;
    }
    return found;
}

std::vector<std::span<const TraceCall>> Trace::frames() const
{
    std::vector<std::span<const TraceCall>> result;
    size_t start = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (isBufferSwap(calls[i])) {
            result.emplace_back(calls.data() + start, i + 1 - start);
            start = i + 1;
        }
    }
    return result;
}

bool isBufferSwap(const TraceCall& call)
{
    return call.name == "glXSwapBuffers" || call.name == "eglSwapBuffers";
}

std::vector<std::string> listItems(std::string_view list)
{
    if (list.starts_with('&'))
        list.remove_prefix(1);
    if (list.size() < 2 || list.front() != '{' || list.back() != '}')
        return {};
    return splitTopLevel(list.substr(1, list.size() - 2), ", ");
}

std::map<std::string, std::string> attributePairs(std::string_view list)
{
    std::map<std::string, std::string> pairs;
    std::vector<std::string> items = listItems(list);
    for (size_t i = 0; i < items.size(); i += 2) {
        if (items[i] == "0" || items[i] == "None" || items[i] == "EGL_NONE")
            break;
        pairs[items[i]] = i + 1 < items.size() ? items[i + 1] : "";
    }
    return pairs;
}

Trace readTrace(const std::filesystem::path& trace)
{
    return Trace(dumpTrace(trace));
}

std::vector<std::string> linesWithoutTracer(std::string_view standardError)
{
    std::vector<std::string> lines;
    while (!standardError.empty()) {
        size_t end = standardError.find('\n');
        std::string_view line = standardError.substr(0, end);
        if (!line.starts_with("apitrace: "))
            lines.emplace_back(line);
        standardError.remove_prefix(end == std::string_view::npos ? standardError.size() : end + 1);
    }
    return lines;
}

std::vector<std::string> showLines(std::string_view standardError)
{
    std::vector<std::string> lines;
    for (std::string& line : linesWithoutTracer(standardError)) {
        if (line.starts_with("sovane05"))
            lines.push_back(std::move(line));
    }
    return lines;
}
