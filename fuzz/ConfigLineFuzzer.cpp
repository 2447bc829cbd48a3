// Fuzzes cutting the configuration text: every line is found again in the text, and every
// entry puts its fields back together into exactly its line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzTarget.h"
#include "rules/ConfigLine.h"

namespace {

// Spelt out here rather than taken from the parser's table, so a word changed there is caught.
const char* expectedKindWord(ResourceKind kind)
{
    switch (kind) {
    case ResourceKind::Texture: return "Texture";
    case ResourceKind::Shader: return "Shader";
    case ResourceKind::Mesh: return "Mesh";
    case ResourceKind::File: return "File";
    }
    return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t searchFrom = 0;
    for (std::string_view line : configLines(text)) {
        if (line.find('\n') != std::string_view::npos)
            std::abort();
        size_t at = text.find(line, searchFrom);
        if (at == std::string_view::npos)
            std::abort();
        searchFrom = at + line.size();

        ConfigLine parsed = parseConfigLine(line);
        if (parsed.outcome != ConfigLine::Outcome::Entry)
            continue;
        const ConfigEntry& entry = parsed.entry;
        std::string rebuilt = std::string(expectedKindWord(entry.kind)) + " " + entry.name + " " + entry.path;
        if (entry.kind == ResourceKind::Shader)
            rebuilt += " " + entry.vertexPath;
        if (rebuilt != line || entry.name.find(' ') != std::string::npos)
            std::abort();
    }
    return 0;
}
