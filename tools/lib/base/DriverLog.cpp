// Reading driver logs.
#include "tools/lib/base/DriverLog.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

// A cursor over one log line; each step consumes only when it matches.
struct Cursor {
    std::string_view rest;

    bool take(std::string_view text)
    {
        if (rest.substr(0, text.size()) != text)
            return false;
        rest.remove_prefix(text.size());
        return true;
    }

    std::optional<size_t> number()
    {
        size_t digits = 0;
        size_t value = 0;
        while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
            value = value * 10 + size_t(rest[digits++] - '0');
        if (digits == 0)
            return std::nullopt;
        rest.remove_prefix(digits);
        return value;
    }

    std::optional<Severity> severity(bool upperCase)
    {
        if (take(upperCase ? "ERROR" : "error"))
            return Severity::Error;
        if (take(upperCase ? "WARNING" : "warning"))
            return Severity::Warning;
        return std::nullopt;
    }
};

// "0:12(5): error: text", or "0:12: error: text"
std::optional<DriverMessage> mesaForm(Cursor cursor)
{
    std::optional<size_t> line;
    if (!cursor.number() || !cursor.take(":") || !(line = cursor.number()))
        return std::nullopt;
    std::optional<size_t> column;
    if (cursor.take("(") && (!(column = cursor.number()) || !cursor.take(")")))
        return std::nullopt;
    if (!cursor.take(": "))
        return std::nullopt;
    std::optional<Severity> severity = cursor.severity(false);
    if (!severity || !cursor.take(": "))
        return std::nullopt;
    DriverMessage message{*line, *severity, std::string(cursor.rest)};
    message.column = column.value_or(0);
    return message;
}

// "0(12) : error C1008: text"
std::optional<DriverMessage> nvidiaForm(Cursor cursor)
{
    std::optional<size_t> line;
    if (!cursor.number() || !cursor.take("(") || !(line = cursor.number()) || !cursor.take(") : "))
        return std::nullopt;
    std::optional<Severity> severity = cursor.severity(false);
    if (!severity)
        return std::nullopt;
    size_t colon = cursor.rest.find(": ");
    std::string_view text = colon == std::string_view::npos ? cursor.rest : cursor.rest.substr(colon + 2);
    return DriverMessage{*line, *severity, std::string(text)};
}

// "ERROR: 0:12: text"
std::optional<DriverMessage> upperCaseForm(Cursor cursor)
{
    std::optional<Severity> severity = cursor.severity(true);
    std::optional<size_t> line;
    if (!severity || !cursor.take(": ") || !cursor.number() || !cursor.take(":") || !(line = cursor.number()) ||
        !cursor.take(": "))
        return std::nullopt;
    return DriverMessage{*line, *severity, std::string(cursor.rest)};
}

DriverMessage plainForm(Cursor cursor, Severity otherwise)
{
    std::optional<Severity> severity = cursor.severity(false);
    if (!severity)
        severity = cursor.severity(true);
    if (severity && cursor.take(":")) {
        cursor.take(" ");
        return {0, *severity, std::string(cursor.rest)};
    }
    return {0, otherwise, std::string(cursor.rest), false};
}

// The code of each line of `source`, comments and surrounding blanks removed; preprocessor lines
// count as no code.
std::vector<std::string> codeLines(std::string_view source)
{
    std::vector<std::string> lines(1);
    bool inComment = false;
    for (size_t i = 0; i < source.size(); ++i) {
        char c = source[i];
        char next = i + 1 < source.size() ? source[i + 1] : '\0';
        if (c == '\n') {
            lines.emplace_back();
        } else if (inComment) {
            if (c == '*' && next == '/') {
                inComment = false;
                ++i;
            }
        } else if (c == '/' && next == '*') {
            inComment = true;
            ++i;
        } else if (c == '/' && next == '/') {
            while (i + 1 < source.size() && source[i + 1] != '\n')
                ++i;
        } else {
            lines.back() += c;
        }
    }
    for (std::string& line : lines) {
        size_t first = line.find_first_not_of(" \t\r");
        bool noCode = first == std::string::npos || line[first] == '#';
        line = noCode ? "" : line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
    }
    return lines;
}

// Where a ';' could end the code: after a name, a number, ')' or ']'.
bool endsWhereASemicolonGoes(const std::string& code)
{
    char last = code.empty() ? '\0' : code.back();
    return std::isalnum(static_cast<unsigned char>(last)) || last == '_' || last == ')' || last == ']';
}

void placeAtTheFault(DriverMessage& message, const std::vector<std::string>& code)
{
    if (message.line < 2 || message.line > code.size() || message.message.find("syntax error") == std::string::npos)
        return;
    size_t before = message.line - 1;
    while (before > 0 && code[before - 1].empty())
        --before;
    if (before == 0 || !endsWhereASemicolonGoes(code[before - 1]))
        return;
    // Only when the token the parser stopped at starts its line: a fault inside the line is
    // where the driver says. Mesa counts a line's leading blanks as one column, so its first
    // token is at column 1 or 2.
    if (message.column > 2)
        return;
    message.message += " (reported on line " + std::to_string(message.line) + ", at the next token)";
    message.line = before;
}

}  // namespace

std::vector<DriverMessage> readDriverLog(std::string_view log, Severity otherwise, std::string_view source)
{
    std::vector<DriverMessage> messages;
    while (!log.empty()) {
        size_t end = log.find('\n');
        std::string_view line = log.substr(0, end);
        log = end == std::string_view::npos ? std::string_view() : log.substr(end + 1);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        Cursor cursor{line};
        std::optional<DriverMessage> message = mesaForm(cursor);
        if (!message)
            message = nvidiaForm(cursor);
        if (!message)
            message = upperCaseForm(cursor);
        if (!message)
            message = plainForm(cursor, otherwise);
        // An indented message continues the one before it (Mesa lists the candidates of a call
        // that matches no overload one per line): one problem stays one message.
        size_t text = message->message.find_first_not_of(' ');
        if (text > 0 && text != std::string::npos && !messages.empty() && messages.back().line == message->line) {
            std::string& previous = messages.back().message;
            previous += previous.back() == ':' ? " " : ", ";
            previous += message->message.substr(text);
            continue;
        }
        // Mesa repeats a warning at every use of the same thing on a line; once says it.
        bool repeated = std::any_of(messages.begin(), messages.end(), [&](const DriverMessage& earlier) {
            return earlier.line == message->line && earlier.severity == message->severity &&
                   earlier.message == message->message;
        });
        if (!repeated)
            messages.push_back(*message);
    }
    if (!source.empty()) {
        std::vector<std::string> code = codeLines(source);
        for (DriverMessage& message : messages)
            placeAtTheFault(message, code);
    }
    return messages;
}
