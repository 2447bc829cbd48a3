// Configuration lines: exact cutting, no trimming, no normalising.
#include "rules/ConfigLine.h"

namespace {

struct KindWord {
    std::string_view word;
    ResourceKind kind;
};

constexpr KindWord kKinds[] = {
    {"Texture", ResourceKind::Texture},
    {"Shader", ResourceKind::Shader},
    {"Mesh", ResourceKind::Mesh},
    {"File", ResourceKind::File},
};

}  // namespace

std::vector<std::string_view> configLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t length = end - start;
        if (length > 0 && text[end - 1] == '\r')
            --length;
        lines.push_back(text.substr(start, length));
        start = end + 1;
    }
    return lines;
}

ConfigLine parseConfigLine(std::string_view line)
{
    ConfigLine result;
    size_t kindEnd = line.find(' ');
    std::string_view kind = line.substr(0, kindEnd);
    bool known = false;
    for (const KindWord& k : kKinds) {
        if (k.word == kind) {
            result.entry.kind = k.kind;
            known = true;
        }
    }
    if (!known)
        return result;

    result.outcome = ConfigLine::Outcome::Incomplete;
    if (kindEnd == std::string_view::npos)
        return result;
    size_t nameEnd = line.find(' ', kindEnd + 1);
    if (nameEnd == std::string_view::npos)
        return result;
    result.entry.name = line.substr(kindEnd + 1, nameEnd - kindEnd - 1);
    std::string_view rest = line.substr(nameEnd + 1);

    if (result.entry.kind == ResourceKind::Shader) {
        size_t fragmentEnd = rest.find(' ');
        if (fragmentEnd == std::string_view::npos)
            return result;
        result.entry.path = rest.substr(0, fragmentEnd);
        result.entry.vertexPath = rest.substr(fragmentEnd + 1);
    } else {
        result.entry.path = rest;
    }
    result.outcome = ConfigLine::Outcome::Entry;
    return result;
}

const char* kindWord(ResourceKind kind)
{
    for (const KindWord& k : kKinds) {
        if (k.kind == kind)
            return k.word.data();
    }
    return "";
}

const char* fieldsNeeded(ResourceKind kind)
{
    switch (kind) {
    case ResourceKind::Texture:
        return "a Texture line needs a name and an image path";
    case ResourceKind::Shader:
        return "a Shader line needs a name, a fragment shader path and a vertex shader path";
    case ResourceKind::Mesh:
        return "a Mesh line needs a name and a mesh file path";
    case ResourceKind::File:
        break;
    }
    return "a File line needs a name and a path";
}
