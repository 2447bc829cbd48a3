// A linked GLSL program built from a fragment and a vertex shader file, with the counter that
// hands out texture units while a scene draws with it. Compile, link and validation failures
// are reported on standard output and never stop the show:
//
//   ShaderProgram* text = loadShaderProgram("data/textlayout.frag", "data/textlayout.vert");
//   text->use();                    // current, and the unit counter back to 0
//   text->bindTexture(lineTexture); // unit 0, sampler "img" = 0
#pragma once

#include <cstdint>
#include <string>

#include "resources/Texture.h"

class ShaderProgram {
public:
    uint32_t program = 0;
    // The unit, counted from GL_TEXTURE0, that the next bindTexture takes; use() resets it.
    int32_t nextTextureUnit = 0;

    void use();
    // Binds `texture` on the next unit and points the sampler "img" at it. Only while in use.
    void bindTexture(TextureName texture);
};

// Builds a program from the two files, fragment first. Always returns a record, also when a
// file is missing or compiling, linking or validating failed.
ShaderProgram* loadShaderProgram(const char* fragmentPath, const char* vertexPath);

// Compiles the file at `path` as `stage` (GL_FRAGMENT_SHADER or GL_VERTEX_SHADER) and attaches
// it to the program, also when the compile failed.
void compileAndAttach(ShaderProgram* shaderProgram, const char* path, uint32_t stage);

// What GL said while a program was built, for tools that report it in their own words. The
// logs are read only where the show reads them, after a failure, so building issues the very
// GL calls the show does.
struct ShaderStageReport {
    bool compiled = false;
    std::string source;  // the text handed to GL: the whole file, or empty when unreadable
    std::string log;     // the info log, when the compile failed
};

struct ShaderProgramReport {
    ShaderStageReport fragment;
    ShaderStageReport vertex;
    bool linked = false;
    std::string linkLog;  // when linking failed
    bool validated = false;
    std::string validateLog;  // when validation failed
};

// Builds the program exactly as loadShaderProgram does and prints nothing on standard output;
// what it would have printed is in `report`.
ShaderProgram* buildShaderProgram(const char* fragmentPath, const char* vertexPath, ShaderProgramReport& report);
