// Kinds of messages and the screenful of each. The kind is read from the words of the message,
// so every stage keeps writing its messages as plain lines.
#include "tools/lib/lyrics/LyricReport.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

bool hasDigit(std::string_view word)
{
    return std::any_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A word that ends a quotation: its last character before any closing punctuation is a quote.
bool closesQuote(std::string_view word)
{
    while (!word.empty() && std::string_view(",:;.)").find(word.back()) != std::string_view::npos)
        word.remove_suffix(1);
    return !word.empty() && word.back() == '\'';
}

std::string_view afterLocation(std::string_view message, std::string_view path)
{
    if (message.substr(0, path.size()) != path || message.size() <= path.size() || message[path.size()] != ':')
        return message;
    std::size_t at = path.size() + 1;
    while (at < message.size() && message[at] >= '0' && message[at] <= '9')
        ++at;
    if (at < message.size() && message[at] == ':')
        ++at;
    while (at < message.size() && message[at] == ' ')
        ++at;
    return message.substr(at);
}

std::string plural(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

int messageLine(std::string_view message, std::string_view path)
{
    if (message.substr(0, path.size()) != path || message.size() <= path.size() || message[path.size()] != ':')
        return 0;
    return std::atoi(std::string(message.substr(path.size() + 1, 12)).c_str());
}

std::string messageKind(std::string_view message, std::string_view path)
{
    std::string_view rest = afterLocation(message, path);
    std::vector<std::string> words;
    bool inQuote = false;
    while (!rest.empty()) {
        std::size_t space = rest.find(' ');
        std::string_view word = rest.substr(0, space);
        rest.remove_prefix(space == std::string_view::npos ? rest.size() : space + 1);
        if (inQuote) {
            inQuote = !closesQuote(word);
            continue;
        }
        if (!word.empty() && (word.front() == '\'' || word.substr(0, 2) == "('")) {
            inQuote = !closesQuote(word.substr(word.find('\'') + 1));
            words.emplace_back("'#'");
        } else {
            words.emplace_back(hasDigit(word) ? std::string("#") : std::string(word));
        }
    }
    std::string kind;
    for (std::size_t i = 0; i < words.size(); ++i) {
        // "line 4" and "lines 4, 5" say one thing.
        if (i > 0 && words[i] == "#" && words[i - 1] == "#")
            continue;
        std::string_view word = words[i];
        if (i + 1 < words.size() && words[i + 1] == "#" && word.size() > 1 && word.back() == 's')
            word.remove_suffix(1);
        kind.append(word).push_back(' ');
    }
    return kind;
}

std::vector<std::string> limitMessages(const std::vector<std::string>& messages, std::string_view path,
                                       std::string_view noun, std::size_t most)
{
    struct Kind {
        std::size_t total = 0;
        std::size_t shown = 0;
        int lastLine = 0;
    };
    std::vector<std::string> kinds;
    std::map<std::string, Kind> byKind;
    for (const std::string& message : messages) {
        kinds.push_back(messageKind(message, path));
        Kind& kind = byKind[kinds.back()];
        ++kind.total;
        kind.lastLine = messageLine(message, path);
    }
    std::vector<std::string> limited;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        Kind& kind = byKind[kinds[i]];
        if (kind.shown == most)
            continue;
        limited.push_back(messages[i]);
        if (++kind.shown < most || kind.total == most)
            continue;
        int line = messageLine(messages[i], path);
        limited.push_back(std::string(path) + ": " + std::to_string(kind.total - most) + " more " + std::string(noun) +
                          (line > 0 ? " like line " + std::to_string(line) + "'s" : std::string(" like the one above")) +
                          (kind.lastLine > 0 ? ", up to line " + std::to_string(kind.lastLine) : std::string()));
    }
    return limited;
}

std::string countedProblems(std::size_t errors, std::size_t warnings)
{
    if (errors == 0 && warnings == 0)
        return "no problem";
    std::string text = errors > 0 ? plural(errors, "error", "errors") : "";
    if (warnings > 0)
        text += (text.empty() ? "" : ", ") + plural(warnings, "warning", "warnings");
    return text;
}
