// A mesh's vertex array and buffers on a real context.
#include <gtest/gtest.h>

#include "rules/Mesh.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"

class MeshUploadTest : public GlTest {
protected:
    template <typename T>
    static std::vector<T> bufferContents(GLenum target, GLuint buffer)
    {
        glBindBuffer(target, buffer);
        GLint size = 0;
        glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
        std::vector<T> contents(size_t(size) / sizeof(T));
        glGetBufferSubData(target, 0, size, contents.data());
        GLint usage = 0;
        glGetBufferParameteriv(target, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(usage, GL_DYNAMIC_DRAW);
        return contents;
    }

    TempDir folder;
};

TEST_F(MeshUploadTest, FourBuffersHoldTheFlattenedArraysBehindOneVertexArray)
{
    std::string path = (folder / "quad.mesh").string();
    writeFile(path,
              "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 1\nvn 0 0 1\n"
              "f 1/1/1 2/2/1 3/2/1\nf 1/1/1 3/2/1 4/1/1\n");
    Mesh* mesh = new Mesh(path.c_str());
    ASSERT_EQ(mesh->vertexCount, 6);

    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0) << "no vertex array stays bound";

    EXPECT_EQ(bufferContents<float>(GL_ARRAY_BUFFER, mesh->buffers[0]), mesh->vertexPositions);
    EXPECT_EQ(bufferContents<float>(GL_ARRAY_BUFFER, mesh->buffers[1]), mesh->vertexNormals);
    EXPECT_EQ(bufferContents<float>(GL_ARRAY_BUFFER, mesh->buffers[2]), mesh->vertexTexCoords);
    EXPECT_EQ(bufferContents<uint32_t>(GL_ARRAY_BUFFER, mesh->buffers[3]), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));

    glBindVertexArray(mesh->vertexArray);
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(GLuint(elements), mesh->buffers[3]) << "the element buffer belongs to the vertex array";
    const GLint components[] = {3, 3, 2};
    for (GLuint location = 0; location < 3; ++location) {
        GLint enabled = 0;
        GLint size = 0;
        GLint buffer = 0;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        EXPECT_EQ(enabled, GL_TRUE) << location;
        EXPECT_EQ(size, components[location]) << location;
        EXPECT_EQ(GLuint(buffer), mesh->buffers[location]) << location;
    }
    glBindVertexArray(0);
}

TEST_F(MeshUploadTest, MissingFileGivesZeroByteBuffers)
{
    ::testing::internal::CaptureStderr();
    Mesh* mesh = new Mesh((folder / "none.mesh").c_str());
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(mesh->vertexCount, 0);
    EXPECT_NE(mesh->vertexArray, 0u);
    for (GLuint buffer : mesh->buffers) {
        EXPECT_TRUE(glIsBuffer(buffer));
        EXPECT_TRUE(bufferContents<float>(GL_ARRAY_BUFFER, buffer).empty());
    }
}
