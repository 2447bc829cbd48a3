// Adapting desktop GLSL to WebGL 2's GLSL ES 3.00.
#include "rules/ShaderAdaptation.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// Every sampler type GLSL ES 3.00 has: only two of them get a default precision, and lowp at
// that, while the show's shaders expect what a desktop context gives them.
const char* const kPrologue =
    "#version 300 es\n"
    "precision highp float; precision highp int; precision highp sampler2D; precision highp sampler3D; "
    "precision highp samplerCube; precision highp sampler2DShadow; precision highp samplerCubeShadow; "
    "precision highp sampler2DArray; precision highp sampler2DArrayShadow; precision highp isampler2D; "
    "precision highp isampler3D; precision highp isamplerCube; precision highp isampler2DArray; "
    "precision highp usampler2D; precision highp usampler3D; precision highp usamplerCube; "
    "precision highp usampler2DArray;\n"
    // From GLSL ES 3.00 on, the line after "#line n" is line n.
    "#line 1\n";

const int kDesktopVersions[] = {330, 400, 410, 420, 430, 440, 450, 460};

struct RefusedWord {
    std::string_view prefix;  // the word, or the start shared by a family of words
    bool wholeWord;
    std::string_view reason;
};

const RefusedWord kRefusedWords[] = {
    {"double", true, "WebGL 2 has no double precision"},
    {"dvec", false, "WebGL 2 has no double precision"},
    {"dmat", false, "WebGL 2 has no double precision"},
    {"subroutine", true, "WebGL 2 has no subroutines"},
    {"sampler1D", false, "WebGL 2 has no one-dimensional textures"},
    {"isampler1D", false, "WebGL 2 has no one-dimensional textures"},
    {"usampler1D", false, "WebGL 2 has no one-dimensional textures"},
    {"sampler2DRect", false, "WebGL 2 has no rectangle textures"},
    {"isampler2DRect", true, "WebGL 2 has no rectangle textures"},
    {"usampler2DRect", true, "WebGL 2 has no rectangle textures"},
    {"samplerBuffer", true, "WebGL 2 has no buffer textures"},
    {"isamplerBuffer", true, "WebGL 2 has no buffer textures"},
    {"usamplerBuffer", true, "WebGL 2 has no buffer textures"},
    {"sampler2DMS", false, "WebGL 2 has no multisample textures"},
    {"isampler2DMS", false, "WebGL 2 has no multisample textures"},
    {"usampler2DMS", false, "WebGL 2 has no multisample textures"},
    {"samplerCubeArray", false, "WebGL 2 has no cube map arrays"},
    {"isamplerCubeArray", true, "WebGL 2 has no cube map arrays"},
    {"usamplerCubeArray", true, "WebGL 2 has no cube map arrays"},
};

// The source with every comment blanked out, line feeds kept, so that positions and line
// numbers stay those of the source.
std::string withoutComments(std::string_view source)
{
    std::string code(source);
    size_t at = 0;
    while (at + 1 < code.size()) {
        if (code[at] == '/' && code[at + 1] == '/') {
            while (at < code.size() && code[at] != '\n')
                code[at++] = ' ';
        } else if (code[at] == '/' && code[at + 1] == '*') {
            size_t end = code.find("*/", at + 2);
            end = end == std::string::npos ? code.size() : end + 2;
            for (; at < end; ++at) {
                if (code[at] != '\n')
                    code[at] = ' ';
            }
        } else {
            ++at;
        }
    }
    return code;
}

int lineAt(std::string_view text, size_t position)
{
    return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(position), '\n'));
}

std::string atLine(int line, std::string_view what)
{
    return "line " + std::to_string(line) + ": " + std::string(what);
}

std::vector<std::string_view> wordsOf(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[at]))) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])))
            ++end;
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

bool isIdentifierCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The first word of the code from `from` on that WebGL 2 has no form of, as
// "line n: 'word': reason".
std::string refusedWordIn(std::string_view code, size_t from)
{
    size_t at = from;
    while (at < code.size()) {
        if (!isIdentifierCharacter(code[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < code.size() && isIdentifierCharacter(code[end]))
            ++end;
        std::string_view word = code.substr(at, end - at);
        for (const RefusedWord& refused : kRefusedWords) {
            if (refused.wholeWord ? word == refused.prefix : word.starts_with(refused.prefix))
                return atLine(lineAt(code, at), "'" + std::string(word) + "': " + std::string(refused.reason));
        }
        at = end;
    }
    return "";
}

struct VersionLine {
    size_t start = 0;  // where the directive's '#' stands
    size_t end = 0;    // the line feed that ends it, or the end of the source
    std::vector<std::string_view> words;  // after '#': "version", the number, the profile if any
};

}  // namespace

AdaptedShader adaptShaderForWebGl(std::string_view source)
{
    AdaptedShader adapted;
    std::string code = withoutComments(source);
    size_t first = code.find_first_not_of(" \t\r\n\f\v");
    VersionLine version;
    if (first != std::string::npos && code[first] == '#') {
        version.start = first;
        version.end = std::min(code.find('\n', first), code.size());
        version.words = wordsOf(std::string_view(code).substr(first + 1, version.end - first - 1));
    }
    if (version.words.empty() || version.words[0] != "version") {
        int line = first == std::string::npos ? 1 : lineAt(code, first);
        adapted.refusal = atLine(line, "the source does not begin with a #version line; the page takes "
                                       "#version 330 core to 460 core, or 300 es");
        return adapted;
    }
    int versionLine = lineAt(code, version.start);
    std::string_view number = version.words.size() > 1 ? version.words[1] : "";
    std::string_view profile = version.words.size() > 2 ? version.words[2] : "";
    if (number == "300" && profile == "es" && version.words.size() == 3) {
        adapted.text = source;
        return adapted;
    }
    bool known = std::any_of(std::begin(kDesktopVersions), std::end(kDesktopVersions),
                             [&](int desktop) { return number == std::to_string(desktop); });
    if (profile == "compatibility") {
        adapted.refusal = atLine(versionLine, "the compatibility profile has no form in WebGL 2; write core");
        return adapted;
    }
    if (!known || version.words.size() > 3 || !(profile.empty() || profile == "core")) {
        std::string directive(std::string_view(code).substr(version.start, version.end - version.start));
        while (!directive.empty() && std::isspace(static_cast<unsigned char>(directive.back())))
            directive.pop_back();
        adapted.refusal = atLine(versionLine, "'" + directive + "': the page takes #version 330 core to 460 core, "
                                              "or 300 es");
        return adapted;
    }
    adapted.refusal = refusedWordIn(code, version.end);
    if (!adapted.refusal.empty())
        return adapted;

    // The directive is blanked where it stood; its comments, and every line break, stay.
    std::string body(source);
    for (size_t at = version.start; at < version.end; ++at) {
        if (code[at] != ' ')
            body[at] = ' ';
    }
    adapted.text = kPrologue + body;
    return adapted;
}
