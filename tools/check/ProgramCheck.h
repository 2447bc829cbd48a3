// Checking a Shader line's program on the current GL context with the show's own loader
// (buildShaderProgram), its compile logs mapped to the source files and lines they name, its
// link and validation logs to the config line, and the uniforms the show sets every frame.
#pragma once

#include <string>
#include <vector>

#include "tools/check/ConfigCheck.h"
#include "tools/lib/base/Finding.h"

// Needs a current OpenGL 4.1 core context with the show's global GL state.
void checkProgram(const ConfiguredResource& resource, const std::string& configPath, std::vector<Finding>& findings);
