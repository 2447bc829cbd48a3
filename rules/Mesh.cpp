// Mesh files: reading and flattening, without GL.
#include "rules/Mesh.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "rules/InputFile.h"

namespace {

// Tokens are separated by runs of spaces; a tab is part of a token.
std::vector<std::string_view> tokens(std::string_view line)
{
    std::vector<std::string_view> result;
    size_t start = 0;
    while (start < line.size()) {
        if (line[start] == ' ') {
            ++start;
            continue;
        }
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        result.push_back(line.substr(start, end - start));
        start = end;
    }
    return result;
}

// As atof reads it in the C locale: a token that does not begin with a number reads 0.
float number(std::string_view token)
{
    return float(std::strtod(std::string(token).c_str(), nullptr));
}

// As atoi reads it (an empty part reads 0), held to the range of an int.
int32_t index(std::string_view part)
{
    long value = std::strtol(std::string(part).c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int32_t(value);
}

[[noreturn]] void reject(const char* path, size_t lineNumber, const char* what)
{
    throw MeshLineError(path, lineNumber, what);
}

// Appends the first `count` values of a line (the keyword skipped) to `list`.
void appendValues(std::string_view line, size_t count, std::vector<float>& list, const char* path,
                  size_t lineNumber, const char* what)
{
    std::vector<std::string_view> parts = tokens(line);
    if (parts.size() < count + 1)
        reject(path, lineNumber, what);
    for (size_t i = 1; i <= count; ++i)
        list.push_back(number(parts[i]));
}

// Copies element `oneBasedIndex` (of `width` floats) of `from` to `to`.
void copyElement(const std::vector<float>& from, int32_t oneBasedIndex, size_t width, float* to)
{
    if (oneBasedIndex < 1 || size_t(oneBasedIndex) * width > from.size())
        throw std::out_of_range("invalid vector subscript");
    const float* element = from.data() + (size_t(oneBasedIndex) - 1) * width;
    for (size_t i = 0; i < width; ++i)
        to[i] = element[i];
}

}  // namespace

MeshLineError::MeshLineError(const char* path, size_t lineNumber, const char* why)
    : std::runtime_error(std::string(path) + ":" + std::to_string(lineNumber) + ": " + why), line(lineNumber), reason(why)
{
}

MeshFace::MeshFace(std::string_view line)
{
    std::vector<std::string_view> corners = tokens(line);
    for (size_t k = 0; k < 3 && k + 1 < corners.size(); ++k) {
        std::string_view corner = corners[k + 1];
        size_t firstSlash = corner.find('/');
        positionIndex[k] = index(corner.substr(0, firstSlash));
        if (firstSlash == std::string_view::npos)
            continue;
        size_t secondSlash = corner.find('/', firstSlash + 1);
        texCoordIndex[k] = index(corner.substr(firstSlash + 1, secondSlash - firstSlash - 1));
        if (secondSlash == std::string_view::npos)
            continue;
        size_t thirdSlash = corner.find('/', secondSlash + 1);
        normalIndex[k] = index(corner.substr(secondSlash + 1, thirdSlash - secondSlash - 1));
    }
}

void Mesh::readFile(const char* path)
{
    InputText file = readInputFile(path);
    if (!file.read) {
        std::fprintf(stderr, "sovane05: %s: cannot open the mesh: %s\n", path, file.failure.c_str());
        return;
    }
    readText(file.text, path);
}

void Mesh::readText(std::string_view text, const char* path, size_t firstLine)
{
    size_t lineNumber = firstLine - 1;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;
        ++lineNumber;

        if (line.size() >= 2 && line[0] == 'v') {
            if (line[1] == ' ') {
                appendValues(line, 3, positions, path, lineNumber, "a position needs three numbers");
            } else if (line[1] == 't') {
                hasTexCoords = true;
                appendValues(line, 2, texCoords, path, lineNumber, "a texture coordinate needs two numbers");
            } else if (line[1] == 'n') {
                hasNormals = true;
                appendValues(line, 3, normals, path, lineNumber, "a normal needs three numbers");
            }
        } else if (line.size() >= 2 && line[0] == 'f' && line[1] == ' ') {
            if (tokens(line).size() < 4)
                reject(path, lineNumber, "a face needs three corners");
            faces.push_back(new MeshFace(line));
        }
    }
}

void Mesh::expandFaces()
{
    vertexCount = int32_t(faces.size() * 3);
    size_t count = size_t(vertexCount);
    vertexPositions.assign(count * 3, 0.0f);
    vertexNormals.assign(count * 3, 0.0f);
    vertexTexCoords.assign(count * 2, 0.0f);
    indices.assign(count, 0);

    for (size_t i = 0; i < faces.size(); ++i) {
        const MeshFace& face = *faces[i];
        for (size_t k = 0; k < 3; ++k) {
            size_t v = i * 3 + k;
            indices[v] = uint32_t(v);
            copyElement(positions, face.positionIndex[k], 3, &vertexPositions[v * 3]);
            if (hasNormals)
                copyElement(normals, face.normalIndex[k], 3, &vertexNormals[v * 3]);
            if (hasTexCoords)
                copyElement(texCoords, face.texCoordIndex[k], 2, &vertexTexCoords[v * 2]);
        }
    }
}
