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
    if (cursor.take("(") && (!cursor.number() || !cursor.take(")")))
        return std::nullopt;
    if (!cursor.take(": "))
        return std::nullopt;
    std::optional<Severity> severity = cursor.severity(false);
    if (!severity || !cursor.take(": "))
        return std::nullopt;
    return DriverMessage{*line, *severity, std::string(cursor.rest)};
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

}  // namespace

std::vector<DriverMessage> readDriverLog(std::string_view log, Severity otherwise)
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
    return messages;
}
