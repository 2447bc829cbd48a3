// A triangle mesh read from a text mesh file and flattened into plain per-vertex arrays:
//
//   v x y z          a position            vt u v     a texture coordinate
//   vn x y z         a normal              f a b c    a face of three corners
//
// A corner is 'p', 'p/t', 'p/t/n' or 'p//n' with 1-based indices that count lines of their kind
// over the whole file. Other lines are ignored. Reading and flattening need no GL, so tests
// and the fuzzer drive them directly; only the constructor's upload touches GL.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A line the reader cannot take. what() is "path:line: reason"; the line and the reason are
// kept apart for tools that place the report themselves.
class MeshLineError : public std::runtime_error {
public:
    MeshLineError(const char* path, size_t line, const char* reason);
    size_t line;
    std::string reason;
};

// One face line: the indices of its first three corners as written (1-based, 0 when the corner
// does not give that index).
class MeshFace {
public:
    int32_t positionIndex[3] = {0, 0, 0};
    int32_t texCoordIndex[3] = {0, 0, 0};
    int32_t normalIndex[3] = {0, 0, 0};

    // Reads the corners that follow the keyword of `line`; a fourth and later corner is ignored.
    explicit MeshFace(std::string_view line);
};

class Mesh {
public:
    std::vector<float> positions;  // three per position line, in file order
    std::vector<float> texCoords;  // two per texture-coordinate line
    std::vector<float> normals;    // three per normal line
    std::vector<MeshFace*> faces;

    // Three vertices per face, nothing shared; normals and texture coordinates stay zero when
    // the file has none.
    std::vector<float> vertexPositions;
    std::vector<float> vertexNormals;
    std::vector<float> vertexTexCoords;
    std::vector<uint32_t> indices;
    int32_t vertexCount = 0;
    bool hasNormals = false;
    bool hasTexCoords = false;

    // GL names: the vertex array, then the positions, normals, texture-coordinate and element
    // buffers.
    uint32_t vertexArray = 0;
    uint32_t buffers[4] = {0, 0, 0, 0};

    Mesh() = default;
    // Reads, flattens and uploads the file; no vertex array stays bound.
    explicit Mesh(const char* path);

    // Appends what the file holds to the parsed lists. A file that cannot be opened is
    // reported on standard error and adds nothing.
    void readFile(const char* path);
    // The same for a text already in memory; `path` names it in errors, whose line numbers
    // count from `firstLine` (a tool reading a file piece by piece passes where a piece starts).
    // A line with too few values throws MeshLineError.
    void readText(std::string_view text, const char* path, size_t firstLine = 1);
    // Fills the per-vertex arrays from the faces. An index outside its list throws
    // std::out_of_range("invalid vector subscript").
    void expandFaces();
};
