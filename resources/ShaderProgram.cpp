// Shader programs: loading, the reports on standard output, and texture binding.
#include "resources/ShaderProgram.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "resources/InputFile.h"

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

// Prints a shader's or a program's info log with "%s\n"; an empty log prints an empty line.
void printLog(GLuint object, PFNGLGETSHADERIVPROC getValue, PFNGLGETSHADERINFOLOGPROC getLog)
{
    GLint length = 0;
    getValue(object, GL_INFO_LOG_LENGTH, &length);
    char* log = static_cast<char*>(std::malloc(size_t(length) + 1));
    log[length] = '\0';
    getLog(object, length, nullptr, log);
    std::printf("%s\n", log);
    std::free(log);
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
    std::string source = readSource(path);
    const char* text = source.c_str();
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == 0) {
        std::printf("Shader error\n");
        std::printf("%s\n", text);
        printLog(shader, glGetShaderiv, glGetShaderInfoLog);
    }
    glAttachShader(shaderProgram->program, shader);
}

ShaderProgram* loadShaderProgram(const char* fragmentPath, const char* vertexPath)
{
    ShaderProgram* shaderProgram = new ShaderProgram;
    shaderProgram->program = glCreateProgram();
    compileAndAttach(shaderProgram, fragmentPath, GL_FRAGMENT_SHADER);
    compileAndAttach(shaderProgram, vertexPath, GL_VERTEX_SHADER);

    glLinkProgram(shaderProgram->program);
    GLint status = 0;
    glGetProgramiv(shaderProgram->program, GL_LINK_STATUS, &status);
    if (status == 0) {
        std::printf("Link error\n");
        printLog(shaderProgram->program, glGetProgramiv, glGetProgramInfoLog);
    }
    // Validated whatever the link said, once, against the state of the moment.
    glValidateProgram(shaderProgram->program);
    status = 0;
    glGetProgramiv(shaderProgram->program, GL_VALIDATE_STATUS, &status);
    if (status == 0) {
        std::printf("Validate error\n");
        printLog(shaderProgram->program, glGetProgramiv, glGetProgramInfoLog);
    }
    return shaderProgram;
}
