// Shader programs: loading, the reports on standard output, and texture binding.
#include "resources/ShaderProgram.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/GlDialect.h"
#include "rules/InputFile.h"

namespace {

// The whole file, or an empty text when it cannot be read: the program is then still linked,
// validated and reported like after a failed compile. Its length is not taken beforehand: a
// folder's is absurd, and a file may change while it is read.
std::string readSource(const char* path)
{
    InputText source = readInputFile(path);
    if (!source.read)
        std::fprintf(stderr, "sovane05: %s: cannot open the shader: %s\n", path, source.failure.c_str());
    return source.text;
}

// A shader's or a program's info log, fetched as the show always has: the length, then the log
// into a buffer of that size.
std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getValue, PFNGLGETSHADERINFOLOGPROC getLog)
{
    GLint length = 0;
    getValue(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(size_t(std::max(length, 0)), '\0');
    getLog(object, length, nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    return log;
}

ShaderStageReport compileStage(GLuint program, const char* path, GLenum stage)
{
    ShaderStageReport report;
    ShaderSourceForContext source = shaderSourceForContext(readSource(path));
    const char* text = source.text.c_str();
    GLuint shader = glCreateShader(stage);
    // A source the context cannot take is not compiled but reported as a failed compile, and
    // the program's link then fails as after one.
    if (!source.refusal.empty()) {
        report.source = source.text;
        report.log = source.refusal;
        glAttachShader(program, shader);
        return report;
    }
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    report.compiled = compiled != 0;
    report.source = text;
    if (!report.compiled)
        report.log = infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    glAttachShader(program, shader);
    return report;
}

// The three-part report of a failed compile: the words, the whole source, the log.
void printStage(const ShaderStageReport& report)
{
    if (report.compiled)
        return;
    std::printf("Shader error\n");
    std::printf("%s\n", report.source.c_str());
    std::printf("%s\n", report.log.c_str());
}

}  // namespace

void ShaderProgram::use()
{
    glUseProgram(program);
    nextTextureUnit = 0;
}

void ShaderProgram::bindTexture(TextureName texture)
{
    glActiveTexture(GL_TEXTURE0 + nextTextureUnit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(glGetUniformLocation(program, "img"), nextTextureUnit);
    nextTextureUnit += 1;
}

void compileAndAttach(ShaderProgram* shaderProgram, const char* path, uint32_t stage)
{
    printStage(compileStage(shaderProgram->program, path, stage));
}

ShaderProgram* buildShaderProgram(const char* fragmentPath, const char* vertexPath, ShaderProgramReport& report)
{
    ShaderProgram* shaderProgram = new ShaderProgram;
    shaderProgram->program = glCreateProgram();
    report.fragment = compileStage(shaderProgram->program, fragmentPath, GL_FRAGMENT_SHADER);
    report.vertex = compileStage(shaderProgram->program, vertexPath, GL_VERTEX_SHADER);

    glLinkProgram(shaderProgram->program);
    GLint status = 0;
    glGetProgramiv(shaderProgram->program, GL_LINK_STATUS, &status);
    report.linked = status != 0;
    if (!report.linked)
        report.linkLog = infoLog(shaderProgram->program, glGetProgramiv, glGetProgramInfoLog);
    // Validated whatever the link said, once, against the state of the moment.
    glValidateProgram(shaderProgram->program);
    status = 0;
    glGetProgramiv(shaderProgram->program, GL_VALIDATE_STATUS, &status);
    report.validated = status != 0;
    if (!report.validated)
        report.validateLog = infoLog(shaderProgram->program, glGetProgramiv, glGetProgramInfoLog);
    return shaderProgram;
}

ShaderProgram* loadShaderProgram(const char* fragmentPath, const char* vertexPath)
{
    ShaderProgramReport report;
    ShaderProgram* shaderProgram = buildShaderProgram(fragmentPath, vertexPath, report);
    printStage(report.fragment);
    printStage(report.vertex);
    if (!report.linked) {
        std::printf("Link error\n");
        std::printf("%s\n", report.linkLog.c_str());
    }
    if (!report.validated) {
        std::printf("Validate error\n");
        std::printf("%s\n", report.validateLog.c_str());
    }
    return shaderProgram;
}
