// Checking a mesh file with the show's own reader and flattening (rules/Mesh.h). The show
// stops at the first fault; here every line is read, so every fault is named with its line,
// and every face is flattened on its own, so each face with an index outside its list is too.
// No GL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/base/Finding.h"

void checkMeshText(std::string_view text, const std::string& path, std::vector<Finding>& findings);

// Reads the file first; one that cannot be read is an error of its own.
void checkMeshFile(const std::string& path, std::vector<Finding>& findings);
