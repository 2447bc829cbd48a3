// The program check.
#include "tools/check/ProgramCheck.h"

#include <GL/glew.h>

#include <memory>

#include "resources/ShaderProgram.h"
#include "tools/lib/base/DriverLog.h"

namespace {

struct ShowUniforms {
    const char* program;
    const char* uniforms[2];
};

// What the scenes set on the programs they look up: the background's depth and time, an
// image layer's depth and sampler (show/Layers.cpp, ShaderProgram::bindTexture).
constexpr ShowUniforms kShowUniforms[] = {
    {"white", {"zscore", "time"}},
    {"textlayout", {"zscore", "img"}},
};

void reportStage(const ShaderStageReport& stage, const std::string& path, const char* stageName,
                 std::vector<Finding>& findings)
{
    if (stage.compiled)
        return;
    std::vector<DriverMessage> messages = readDriverLog(stage.log, Severity::Error, stage.source);
    if (messages.empty())
        findings.push_back({path, 0, Severity::Error, std::string("does not compile as a ") + stageName + " shader"});
    for (const DriverMessage& message : messages)
        findings.push_back({path, message.line, message.severity, message.message});
}

void reportProgram(const std::string& log, const std::string& what, const std::string& configPath, size_t line,
                   std::vector<Finding>& findings)
{
    std::vector<DriverMessage> messages = readDriverLog(log, Severity::Error);
    if (messages.empty())
        findings.push_back({configPath, line, Severity::Error, what});
    for (const DriverMessage& message : messages)
        findings.push_back({configPath, line, message.severity, what + ": " + message.message});
}

}  // namespace

void checkProgram(const ConfiguredResource& resource, const std::string& configPath, std::vector<Finding>& findings)
{
    const ConfigEntry& entry = resource.entry;
    ShaderProgramReport report;
    std::unique_ptr<ShaderProgram> program(buildShaderProgram(entry.path.c_str(), entry.vertexPath.c_str(), report));
    reportStage(report.fragment, entry.path, "fragment", findings);
    reportStage(report.vertex, entry.vertexPath, "vertex", findings);
    // A stage that did not compile fails the link too; its own messages say why.
    if (!report.fragment.compiled || !report.vertex.compiled)
        return;
    std::string named = "program \"" + entry.name + "\"";
    if (!report.linked) {
        reportProgram(report.linkLog, named + " does not link", configPath, resource.line, findings);
        return;
    }
    if (!report.validated)
        reportProgram(report.validateLog, named + " does not validate", configPath, resource.line, findings);
    if (!resource.wins)
        return;
    for (const ShowUniforms& show : kShowUniforms) {
        if (entry.name != show.program)
            continue;
        for (const char* uniform : show.uniforms) {
            if (glGetUniformLocation(program->program, uniform) < 0)
                findings.push_back({configPath, resource.line, Severity::Warning,
                                    named + " has no active uniform \"" + std::string(uniform) +
                                        "\", which the show sets for every layer it draws"});
        }
    }
}
