// Shader programs: loading, the reports on standard output, and texture binding.
#include "resources/ShaderProgram.h"

#include <GL/glew.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The whole file as a zero-terminated text, or an empty text when it cannot be read: the
// program is then still linked, validated and reported like after a failed compile.
char* readSource(const char* path)
{
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        std::fprintf(stderr, "sovane05: %s: cannot open the shader: %s\n", path, std::strerror(errno));
        return static_cast<char*>(std::calloc(1, 1));
    }
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    if (length < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fprintf(stderr, "sovane05: %s: cannot read the shader: %s\n", path, std::strerror(errno));
        std::fclose(file);
        return static_cast<char*>(std::calloc(1, 1));
    }
    char* text = static_cast<char*>(std::calloc(size_t(length) + 1, 1));
    size_t read = std::fread(text, 1, size_t(length), file);
    text[read] = '\0';
    std::fclose(file);
    return text;
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
    char* source = readSource(path);
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == 0) {
        std::printf("Shader error\n");
        std::printf("%s\n", source);
        printLog(shader, glGetShaderiv, glGetShaderInfoLog);
    }
    std::free(source);
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
