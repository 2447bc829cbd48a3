// The mesh check.
#include "tools/check/MeshCheck.h"

#include <stdexcept>

#include "rules/InputFile.h"
#include "rules/Mesh.h"

void checkMeshText(std::string_view text, const std::string& path, std::vector<Finding>& findings)
{
    const char* const kStops = ": the show stops at start-up";
    Mesh mesh;
    std::vector<size_t> faceLines;
    size_t lineNumber = 0;
    size_t start = 0;
    // One line at a time through the reader, which takes a piece of a file as readily as a
    // whole one, so a fault ends only its own line.
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        ++lineNumber;
        size_t faces = mesh.faces.size();
        try {
            mesh.readText(text.substr(start, end - start), path.c_str(), lineNumber);
        } catch (const MeshLineError& error) {
            findings.push_back({path, error.line, Severity::Error, error.reason + kStops});
        }
        if (mesh.faces.size() > faces)
            faceLines.push_back(lineNumber);
        start = end;
    }

    Mesh single;
    single.positions = mesh.positions;
    single.texCoords = mesh.texCoords;
    single.normals = mesh.normals;
    single.hasNormals = mesh.hasNormals;
    single.hasTexCoords = mesh.hasTexCoords;
    std::string lists = std::to_string(mesh.positions.size() / 3) + " positions";
    if (mesh.hasTexCoords)
        lists += ", " + std::to_string(mesh.texCoords.size() / 2) + " texture coordinates";
    if (mesh.hasNormals)
        lists += ", " + std::to_string(mesh.normals.size() / 3) + " normals";
    for (size_t face = 0; face < mesh.faces.size(); ++face) {
        single.faces = {mesh.faces[face]};
        try {
            single.expandFaces();
        } catch (const std::out_of_range& error) {
            findings.push_back({path, faceLines[face], Severity::Error,
                                "a corner's index is outside its list (" + lists + "; indices count from 1)" + kStops +
                                    " with \"" + error.what() + "\""});
        }
    }
    for (MeshFace* face : mesh.faces)
        delete face;
}

void checkMeshFile(const std::string& path, std::vector<Finding>& findings)
{
    InputText file = readInputFile(path.c_str());
    if (!file.read) {
        findings.push_back({path, 0, Severity::Error, "cannot read it (" + file.failure + "): the mesh stays empty"});
        return;
    }
    checkMeshText(file.text, path, findings);
}
