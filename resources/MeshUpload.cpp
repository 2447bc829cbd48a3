// Building a Mesh from its file: read, flatten, then upload into a vertex array with three
// attribute buffers and an element buffer.
#include <GL/glew.h>

#include <cstdio>
#include <stdexcept>

#include "rules/Mesh.h"

namespace {

void uploadAttribute(GLuint buffer, GLuint location, GLint components, const std::vector<float>& values)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(values.size() * sizeof(float)), values.data(), GL_DYNAMIC_DRAW);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(location);
}

}  // namespace

Mesh::Mesh(const char* path)
{
    readFile(path);
    try {
        expandFaces();
    } catch (const std::out_of_range&) {
        std::fprintf(stderr, "sovane05: %s: a face names a position, normal or texture coordinate the file does not have\n",
                     path);
        throw;
    }

    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(4, buffers);
    uploadAttribute(buffers[0], 0, 3, vertexPositions);
    uploadAttribute(buffers[1], 1, 3, vertexNormals);
    uploadAttribute(buffers[2], 2, 2, vertexTexCoords);
    // Bound while the vertex array is, so the element buffer belongs to it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
}
