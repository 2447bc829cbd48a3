// Fuzzes reading and flattening mesh text: any input either is rejected with an exception or
// gives three vertices per face with every array sized to match.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "fuzz/FuzzTarget.h"
#include "rules/Mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Mesh mesh;
    try {
        mesh.readText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.mesh");
        mesh.expandFaces();
    } catch (const std::exception&) {
        for (MeshFace* face : mesh.faces)
            delete face;
        return 0;
    }
    size_t vertices = mesh.faces.size() * 3;
    if (size_t(mesh.vertexCount) != vertices || mesh.vertexPositions.size() != vertices * 3 ||
        mesh.vertexNormals.size() != vertices * 3 || mesh.vertexTexCoords.size() != vertices * 2 ||
        mesh.indices.size() != vertices || mesh.positions.size() % 3 != 0 || mesh.texCoords.size() % 2 != 0)
        std::abort();
    for (MeshFace* face : mesh.faces)
        delete face;
    return 0;
}
