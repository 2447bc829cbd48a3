// Adapting the show's desktop GLSL to WebGL 2 as the page loads it: the version line and the
// precision put first with every line of the file kept at its number, and what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/ShaderAdaptation.h"

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The adapted text after its three lines of prologue, which a "#line 1" ends.
std::string bodyOf(const std::string& adapted)
{
    std::vector<std::string> lines = linesOf(adapted);
    EXPECT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "#version 300 es");
    EXPECT_NE(lines[1].find("precision highp float;"), std::string::npos);
    EXPECT_NE(lines[1].find("precision highp int;"), std::string::npos);
    EXPECT_NE(lines[1].find("precision highp sampler2D;"), std::string::npos);
    EXPECT_EQ(lines[2], "#line 1");
    return adapted.substr(adapted.find("#line 1\n") + 8);
}

}  // namespace

TEST(ShaderAdaptation, DesktopSourcesGetTheEsVersionAndPrecisionWithEveryLineKeptAtItsNumber)
{
    struct Case {
        std::string source;
        std::string body;  // the source as it follows the prologue
    };
    const Case cases[] = {
        {"#version 410 core\nvoid main() {}\n", "                 \nvoid main() {}\n"},
        {"#version 330 core\nvoid main() {}", "                 \nvoid main() {}"},
        {"#version 460\nvoid main() {}\n", "            \nvoid main() {}\n"},
        {"#  version   450 core\nint x;\n", "                     \nint x;\n"},
        // Comments before the version line and after it on its line stay where they were.
        {"// the background\n// two lines\n#version 410 core\nvoid main() {}\n",
         "// the background\n// two lines\n                 \nvoid main() {}\n"},
        {"/* a\n   block */\n#version 410 core // the show's\nvoid main() {}\n",
         "/* a\n   block */\n                  // the show's\nvoid main() {}\n"},
        // The carriage return of the version line goes with it; the others stay.
        {"\n\n  #version 410 core\r\nvoid main() {}\r\n", "\n\n" + std::string(20, ' ') + "\nvoid main() {}\r\n"},
        // Words refused only as words: within a longer name, or in a comment, they pass.
        {"#version 410 core\nfloat doubled; // a double\n/* dvec3 */ vec3 mydvec3;\n",
         "                 \nfloat doubled; // a double\n/* dvec3 */ vec3 mydvec3;\n"},
    };
    for (const Case& c : cases) {
        AdaptedShader adapted = adaptShaderForWebGl(c.source);
        EXPECT_EQ(adapted.refusal, "") << c.source;
        EXPECT_EQ(bodyOf(adapted.text), c.body) << c.source;
        EXPECT_EQ(linesOf(bodyOf(adapted.text)).size(), linesOf(c.source).size()) << c.source;
    }
}

TEST(ShaderAdaptation, SourcesAlreadyInGlslEsPassUnchanged)
{
    for (std::string source : {"#version 300 es\nprecision mediump float;\nvoid main() {}\n",
                               "// comment\n#version 300 es\nvoid main() {}"}) {
        AdaptedShader adapted = adaptShaderForWebGl(source);
        EXPECT_EQ(adapted.refusal, "");
        EXPECT_EQ(adapted.text, source);
    }
}

TEST(ShaderAdaptation, WhatWebGlHasNoFormOfIsRefusedNamingTheLine)
{
    struct Case {
        std::string source;
        std::string refusal;
    };
    const std::string versionNeeded = "the page takes #version 330 core to 460 core, or 300 es";
    const Case cases[] = {
        {"", "line 1: the source does not begin with a #version line; " + versionNeeded},
        {"// only a comment\n", "line 1: the source does not begin with a #version line; " + versionNeeded},
        {"void main() {}\n", "line 1: the source does not begin with a #version line; " + versionNeeded},
        {"\nuniform float a;\n#version 410 core\n", "line 2: the source does not begin with a #version line; " +
                                                         versionNeeded},
        {"#define X 1\n#version 410 core\n", "line 1: the source does not begin with a #version line; " +
                                                  versionNeeded},
        {"#version 120\nvoid main() {}\n", "line 1: '#version 120': " + versionNeeded},
        {"// old\n#version 150 core\n", "line 2: '#version 150 core': " + versionNeeded},
        {"#version 310 es\n", "line 1: '#version 310 es': " + versionNeeded},
        {"#version 470 core\n", "line 1: '#version 470 core': " + versionNeeded},
        {"#version 410 core extra\n", "line 1: '#version 410 core extra': " + versionNeeded},
        {"#version\n", "line 1: '#version': " + versionNeeded},
        {"#version 410 compatibility\n", "line 1: the compatibility profile has no form in WebGL 2; write core"},
        {"#version 450 core\nuniform double scale;\n", "line 2: 'double': WebGL 2 has no double precision"},
        {"#version 450 core\n\nin dvec3 p;\n", "line 3: 'dvec3': WebGL 2 has no double precision"},
        {"#version 450 core\nuniform dmat4 m;\n", "line 2: 'dmat4': WebGL 2 has no double precision"},
        {"#version 410 core\nuniform sampler1D ramp;\n", "line 2: 'sampler1D': WebGL 2 has no one-dimensional textures"},
        {"#version 410 core\nuniform usampler1DArray r;\n",
         "line 2: 'usampler1DArray': WebGL 2 has no one-dimensional textures"},
        {"#version 410 core\nuniform sampler2DRect r;\n", "line 2: 'sampler2DRect': WebGL 2 has no rectangle textures"},
        {"#version 410 core\nuniform samplerBuffer b;\n", "line 2: 'samplerBuffer': WebGL 2 has no buffer textures"},
        {"#version 410 core\nuniform sampler2DMS m;\n", "line 2: 'sampler2DMS': WebGL 2 has no multisample textures"},
        {"#version 410 core\nuniform samplerCubeArray c;\n", "line 2: 'samplerCubeArray': WebGL 2 has no cube map arrays"},
        {"#version 410 core\nsubroutine vec4 shade();\n", "line 2: 'subroutine': WebGL 2 has no subroutines"},
        // The first refused word is named.
        {"/* x\n */ #version 450 core\nfloat a;\ndouble b;\nsampler1D c;\n",
         "line 4: 'double': WebGL 2 has no double precision"},
    };
    for (const Case& c : cases) {
        AdaptedShader adapted = adaptShaderForWebGl(c.source);
        EXPECT_EQ(adapted.refusal, c.refusal) << c.source;
        EXPECT_EQ(adapted.text, "") << c.source;
    }
}
