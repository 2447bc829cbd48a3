// The stock show's hand-written files that every show folder shares: data/config.txt, both
// programs' shaders and the mesh, built into sovane05-make from the checkout's data/.
#pragma once

#include <string_view>
#include <vector>

struct StockFile {
    std::string_view path;     // under data/, "meshes/tetra.mesh"
    std::string_view content;  // the bytes
};

const std::vector<StockFile>& stockFiles();
