// Building shader programs on a real context: the reports on standard output, the stage of
// each file, texture units handed out by bindTexture, and where the driver puts a syntax error.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/ShaderProgram.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tools/lib/base/DriverLog.h"

namespace {

// Each uses something only its own stage has (gl_VertexID, dFdx), so that compiling it as the
// other stage fails.
const char* const kVertex =
    "#version 410 core\n"
    "layout(location = 0) in vec2 position;\n"
    "void main() { gl_Position = vec4(position, 0.0 * float(gl_VertexID), 1.0); }\n";

// Ends in its closing brace with no line feed after it.
const char* const kFragment =
    "#version 410 core\n"
    "uniform sampler2D img;\n"
    "out vec4 colour;\n"
    "void main() { colour = texture(img, vec2(0.5)) + 0.0 * dFdx(gl_FragCoord.x); }";

const char* const kBrokenFragment =
    "#version 410 core\n"
    "out vec4 colour;\n"
    "void main() { colour = undeclared; }\n";

// Compiles, but has no main function: linking fails.
const char* const kUnlinkableFragment =
    "#version 410 core\n"
    "out vec4 colour;\n"
    "void paint() { colour = vec4(1.0); }\n";

struct Reports {
    ShaderProgram* program;
    std::string out;
    std::string err;
};

}  // namespace

class ShaderProgramTest : public GlTest {
protected:
    Reports load(const std::string& fragmentPath, const std::string& vertexPath)
    {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        ShaderProgram* program = loadShaderProgram(fragmentPath.c_str(), vertexPath.c_str());
        std::fflush(stdout);
        std::string out = ::testing::internal::GetCapturedStdout();
        return {program, out, ::testing::internal::GetCapturedStderr()};
    }

    std::string file(const std::string& name, const char* source)
    {
        std::string path = (folder / name).string();
        writeFile(path, source);
        return path;
    }

    static GLint linked(const ShaderProgram* program)
    {
        GLint status = 0;
        glGetProgramiv(program->program, GL_LINK_STATUS, &status);
        return status;
    }

    TempDir folder;
};

TEST_F(ShaderProgramTest, GoodFilesLinkSilentlyWithTheWholeSourceHandedToGl)
{
    Reports loaded = load(file("good.frag", kFragment), file("good.vert", kVertex));
    EXPECT_EQ(loaded.out, "");
    EXPECT_EQ(loaded.err, "");
    EXPECT_EQ(linked(loaded.program), GL_TRUE);
    EXPECT_EQ(loaded.program->nextTextureUnit, 0);

    // Fragment first, vertex second, and both attached.
    GLuint shaders[2] = {0, 0};
    GLsizei count = 0;
    glGetAttachedShaders(loaded.program->program, 2, &count, shaders);
    ASSERT_EQ(count, 2);
    GLint stage = 0;
    glGetShaderiv(shaders[0], GL_SHADER_TYPE, &stage);
    EXPECT_EQ(stage, GL_FRAGMENT_SHADER);
    GLint sourceLength = 0;
    glGetShaderiv(shaders[0], GL_SHADER_SOURCE_LENGTH, &sourceLength);
    EXPECT_EQ(sourceLength, GLint(std::strlen(kFragment) + 1));
}

TEST_F(ShaderProgramTest, FailuresAreReportedOnStandardOutputInOrder)
{
    enum class Path { File, Missing, Folder, Fifo };
    struct Case {
        std::string name;
        std::string fragmentSource;
        Path fragmentPath;
        std::vector<std::string> reportsInOrder;
        std::string err;  // after "sovane05: <path>: "
    };
    const std::vector<std::string> unreadReports = {"Shader error\n\n", "Link error\n", "Validate error\n"};
    const Case cases[] = {
        {"compile", kBrokenFragment, Path::File,
         {"Shader error\n", std::string(kBrokenFragment) + "\n", "Link error\n", "Validate error\n"}, ""},
        {"link", kUnlinkableFragment, Path::File, {"Link error\n", "Validate error\n"}, ""},
        {"unreadable", "", Path::Missing, unreadReports, "cannot open the shader: No such file or directory"},
        // A folder once read as an absurd length, and the failed allocation was written through.
        {"folder", "", Path::Folder, unreadReports, "cannot open the shader: Is a directory"},
        {"fifo", "", Path::Fifo, unreadReports, "cannot open the shader: not a regular file"},
    };
    std::string vertex = file("v.vert", kVertex);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string fragment = (folder / (c.name + ".frag")).string();
        if (c.fragmentPath == Path::File)
            writeFile(fragment, c.fragmentSource);
        if (c.fragmentPath == Path::Folder)
            std::filesystem::create_directory(fragment);
        if (c.fragmentPath == Path::Fifo)
            makeFifo(fragment);
        Reports loaded = load(fragment, vertex);
        ASSERT_NE(loaded.program, nullptr);
        EXPECT_NE(loaded.program->program, 0u);
        EXPECT_EQ(linked(loaded.program), GL_FALSE);
        size_t at = 0;
        for (const std::string& report : c.reportsInOrder) {
            size_t found = loaded.out.find(report, at);
            ASSERT_NE(found, std::string::npos) << "missing " << ::testing::PrintToString(report) << " in\n"
                                                << loaded.out;
            at = found + report.size();
        }
        if (c.name != "link") {
            EXPECT_EQ(loaded.out.rfind("Shader error\n", 0), 0u) << "the report starts the output";
        }
        if (c.err.empty())
            EXPECT_EQ(loaded.err, "");
        else
            EXPECT_EQ(loaded.err, "sovane05: " + fragment + ": " + c.err + "\n");
    }
}

TEST_F(ShaderProgramTest, SwappedPathsCompileEachFileAsTheOtherStage)
{
    Reports loaded = load(file("good.vert", kVertex), file("good.frag", kFragment));
    EXPECT_EQ(linked(loaded.program), GL_FALSE);
    size_t first = loaded.out.find("Shader error\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(loaded.out.find("Shader error\n", first + 1), std::string::npos) << loaded.out;
    // The first report is the vertex file, compiled as a fragment shader.
    EXPECT_EQ(loaded.out.find(kVertex), first + std::strlen("Shader error\n"));
}

TEST_F(ShaderProgramTest, BindTextureHandsOutUnitsFromZeroAfterEachUse)
{
    ShaderProgram* program = load(file("good.frag", kFragment), file("good.vert", kVertex)).program;
    GLuint textures[2] = {0, 0};
    glGenTextures(2, textures);
    auto boundOn = [](int unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return GLuint(bound);
    };
    auto sampler = [program] {
        GLint unit = -1;
        glGetUniformiv(program->program, glGetUniformLocation(program->program, "img"), &unit);
        return unit;
    };

    program->use();
    program->bindTexture(textures[0]);
    program->bindTexture(textures[1]);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE1);
    EXPECT_EQ(program->nextTextureUnit, 2);
    EXPECT_EQ(sampler(), 1);
    EXPECT_EQ(boundOn(0), textures[0]);
    EXPECT_EQ(boundOn(1), textures[1]);

    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), program->program);

    program->use();
    program->bindTexture(textures[1]);
    EXPECT_EQ(sampler(), 0);
    EXPECT_EQ(boundOn(0), textures[1]);
    glActiveTexture(GL_TEXTURE0);
}

// Mesa reports a missing ';' at the next token, lines later; the tools' reader of its log puts
// it back on the line that lacks it.
TEST_F(ShaderProgramTest, AMissingSemicolonIsReportedOnTheLineThatLacksIt)
{
    struct Case {
        std::string body;      // after "void main()\n{\n", which ends on line 4
        size_t driverLine;     // where Mesa reports it
        size_t faultLine;      // where the reader puts it
    };
    const Case cases[] = {
        {"    float a = 1.0\n\n    // a comment\n    colour = vec4(a);\n}\n", 8, 5},
        {"    colour = vec4(1.0)\n}\n", 6, 5},
        {"    float a = 1.0 /* x */\n    /* block\n       comment */\n        a += 2.0;\n    colour = vec4(a);\n}\n", 8, 5},
        {"    float a = 1.0;\n    colour = vec4(a) colour;\n}\n", 6, 6},
    };
    for (const Case& c : cases) {
        std::string source = "#version 410 core\nout vec4 colour;\nvoid main()\n{\n" + c.body;
        GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
        const char* text = source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        char log[4096] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        glDeleteShader(shader);
        std::vector<DriverMessage> driver = readDriverLog(log, Severity::Error);
        std::vector<DriverMessage> placed = readDriverLog(log, Severity::Error, source);
        ASSERT_EQ(driver.size(), 1u) << log;
        ASSERT_EQ(placed.size(), 1u) << log;
        EXPECT_EQ(driver[0].line, c.driverLine) << log;
        EXPECT_EQ(placed[0].line, c.faultLine) << log;
    }
}
