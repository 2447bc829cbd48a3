// Reading and flattening mesh files, without GL.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "rules/Mesh.h"
#include "tests/support/TempDir.h"

namespace {

Mesh flattened(const std::string& text)
{
    Mesh mesh;
    mesh.readText(text, "test.mesh");
    mesh.expandFaces();
    return mesh;
}

std::vector<float> vertexPosition(const Mesh& mesh, int v)
{
    return {mesh.vertexPositions[v * 3], mesh.vertexPositions[v * 3 + 1], mesh.vertexPositions[v * 3 + 2]};
}

const char* const kTriangle = "v 1 0 0\nv 0 1 0\nv 0 0 1\n";

}  // namespace

TEST(Mesh, FacesFlattenIntoThreeUnsharedVerticesEach)
{
    Mesh mesh = flattened(std::string(kTriangle) + "f 1 2 3\nf 3 2 1\n");
    ASSERT_EQ(mesh.vertexCount, 6);
    EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(vertexPosition(mesh, 3), (std::vector<float>{0, 0, 1}));
    EXPECT_EQ(vertexPosition(mesh, 5), (std::vector<float>{1, 0, 0}));
    // Without normal and texture lines those arrays are zero, not whatever memory held.
    EXPECT_EQ(mesh.vertexNormals, std::vector<float>(18, 0.0f));
    EXPECT_EQ(mesh.vertexTexCoords, std::vector<float>(12, 0.0f));
    EXPECT_FALSE(mesh.hasNormals);
    EXPECT_FALSE(mesh.hasTexCoords);
}

TEST(Mesh, ReadsTheFirstThreeCornersAndTheFirstValuesOfEachLine)
{
    struct Case {
        std::string text;
        std::vector<float> vertex0;
    };
    const Case cases[] = {
        {std::string(kTriangle) + "f 2 3 1 4\n", {0, 1, 0}},
        {"f 3 1 2\n" + std::string(kTriangle), {0, 0, 1}},
        {"v 1e2 -3.5 .25 9\nv 0 0 0\nv 0 0 0\nf 1 2 3\n", {100.0f, -3.5f, 0.25f}},
        {"v a b c\nv 1 1 1\nv 1 1 1\nf 1 2 3\n", {0, 0, 0}},
        {"v 1 2 3\r\nv 0 0 0\r\nv 0 0 0\r\nf 1 2 3\r\n", {1, 2, 3}},
        {std::string(kTriangle) + "f 1 2 3", {1, 0, 0}},
        {"v  4   5  6 \nv 0 0 0\nv 0 0 0\nf  1  2  3\n", {4, 5, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Mesh mesh = flattened(c.text);
        ASSERT_EQ(mesh.vertexCount, 3);
        EXPECT_EQ(vertexPosition(mesh, 0), c.vertex0);
    }

    Mesh textured = flattened(std::string(kTriangle) + "vt 0.5 0.25 1\nf 1/1 2/1 3/1\n");
    EXPECT_TRUE(textured.hasTexCoords);
    EXPECT_EQ(textured.texCoords, (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(textured.vertexTexCoords[4], 0.5f);
    EXPECT_EQ(textured.vertexTexCoords[5], 0.25f);
}

TEST(Mesh, CornerFormsPickTheirIndices)
{
    const std::string lists = std::string(kTriangle) +
                              "vt 0.1 0.1\nvt 0.2 0.2\nvt 0.3 0.3\n"
                              "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n";
    Mesh full = flattened(lists + "f 1/2/3/7 2/3/1 3/1/2\n");
    const MeshFace& face = *full.faces[0];
    EXPECT_EQ(face.positionIndex[0], 1);
    EXPECT_EQ(face.texCoordIndex[0], 2);
    EXPECT_EQ(face.normalIndex[0], 3);
    EXPECT_EQ(full.vertexTexCoords[0], 0.2f);
    EXPECT_EQ((std::vector<float>{full.vertexNormals[0], full.vertexNormals[1], full.vertexNormals[2]}),
              (std::vector<float>{0, 0, 1}));

    Mesh normalsOnly = flattened(std::string(kTriangle) + "vn 0 0 1\nf 1//1 2//1 3//1\n");
    EXPECT_TRUE(normalsOnly.hasNormals);
    EXPECT_EQ(normalsOnly.vertexNormals[8], 1.0f);
    EXPECT_EQ(normalsOnly.faces[0]->texCoordIndex[1], 0);
}

TEST(Mesh, IndicesOutsideTheirListsAreInvalidSubscripts)
{
    const std::string cases[] = {
        std::string(kTriangle) + "f 0 1 2\n",
        std::string(kTriangle) + "f -1 -2 -3\n",
        std::string(kTriangle) + "f 1 2 4\n",
        std::string(kTriangle) + "f 1 2 99999999999999\n",
        std::string(kTriangle) + "f x 1 2\n",
        // With a texture line in the file, 'p//n' reads texture index 0.
        std::string(kTriangle) + "vt 0 0\nvn 0 0 1\nf 1//1 2//1 3//1\n",
        std::string(kTriangle) + "vn 0 0 1\nf 1//1 2//1 3//2\n",
        // A corner without a normal index in a file that has normals.
        std::string(kTriangle) + "vn 0 0 1\nf 1 2 3\n",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        Mesh mesh;
        mesh.readText(text, "test.mesh");
        try {
            mesh.expandFaces();
            ADD_FAILURE() << "no error";
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "invalid vector subscript");
        }
    }
}

TEST(Mesh, OtherLinesAreIgnored)
{
    std::string ignored =
        "# a comment\no object\ng group\ns 1\nvp 1 2 3\nl 1 2\n\n"
        "v\t9 9 9\nf\t1 2 3\n v 9 9 9\n f 1 2 3\nv\nvx 1 2 3\nfa 1 2 3\n";
    Mesh mesh = flattened(ignored + kTriangle + "f 1 2 3\n");
    EXPECT_EQ(mesh.positions.size(), 9u);
    EXPECT_EQ(mesh.faces.size(), 1u);
    EXPECT_EQ(vertexPosition(mesh, 0), (std::vector<float>{1, 0, 0}));
}

TEST(Mesh, LongLinesAreReadWholeAndReadingGoesOn)
{
    std::string longComment = "#" + std::string(5000, 'x') + "\n";
    std::string longPosition = "v 7" + std::string(300, ' ') + "8 9\n";
    Mesh mesh = flattened(longComment + longPosition + "v 0 0 0\nv 0 0 0\n" + longComment + "f 1 2 3\n");
    ASSERT_EQ(mesh.vertexCount, 3);
    EXPECT_EQ(vertexPosition(mesh, 0), (std::vector<float>{7, 8, 9}));
}

TEST(Mesh, LinesWithTooFewValuesAreRejectedWithFileAndLine)
{
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"v 1 0 0\nv 1 2\n", "test.mesh:2: a position needs three numbers"},
        {"vt 0.5\n", "test.mesh:1: a texture coordinate needs two numbers"},
        {"# x\n\nvn 0 1\n", "test.mesh:3: a normal needs three numbers"},
        {std::string(kTriangle) + "f 1 2\n", "test.mesh:4: a face needs three corners"},
        {"f 1 2 \r\n", "test.mesh:1: a face needs three corners"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Mesh mesh;
        try {
            mesh.readText(c.text, "test.mesh");
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST(Mesh, PathsThatAreNoReadableFileGiveAnEmptyMeshAndOneLineOnStandardError)
{
    TempDir folder;
    std::filesystem::create_directory(folder / "folder.mesh");
    makeFifo(folder / "fifo.mesh");
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent/folder/shape.mesh", "No such file or directory"},
        {(folder / "folder.mesh").string(), "Is a directory"},
        {(folder / "fifo.mesh").string(), "not a regular file"},
    };
    for (const auto& [path, reason] : cases) {
        Mesh mesh;
        ::testing::internal::CaptureStderr();
        mesh.readFile(path.c_str());
        std::string err = ::testing::internal::GetCapturedStderr();
        mesh.expandFaces();
        EXPECT_EQ(mesh.vertexCount, 0);
        EXPECT_TRUE(mesh.positions.empty());
        EXPECT_EQ(err, "sovane05: " + path + ": cannot open the mesh: " + reason + "\n");
    }
}
