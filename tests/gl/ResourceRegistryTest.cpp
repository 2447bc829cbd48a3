// The registry built from a real "data/config.txt" in a temporary show folder.
#include <gtest/gtest.h>

#include <stdexcept>

#include "resources/ResourceRegistry.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

namespace {

const char* const kVertex =
    "#version 410 core\nlayout(location = 0) in vec2 position;\n"
    "void main() { gl_Position = vec4(position, 0.0, 1.0); }\n";
const char* const kFragment =
    "#version 410 core\nuniform sampler2D img;\nout vec4 colour;\n"
    "void main() { colour = texture(img, vec2(0.5)); }\n";

}  // namespace

class ResourceRegistryTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        writeFile(folder / "data/p.vert", kVertex);
        writeFile(folder / "data/p.frag", kFragment);
    }

    // A one-pixel image of the given colour.
    void image(const std::string& relative, Rgba colour)
    {
        writeTestPng(folder / relative, 1, 1, 4, {colour.r, colour.g, colour.b, colour.a});
    }

    ResourceRegistry* load(const std::string& config, std::string* err = nullptr)
    {
        writeFile(folder / "data/config.txt", config);
        WorkingFolder inside(folder.path());
        ::testing::internal::CaptureStderr();
        ResourceRegistry* registry = new ResourceRegistry;
        std::string captured = ::testing::internal::GetCapturedStderr();
        if (err != nullptr)
            *err = captured;
        return registry;
    }

    TempDir folder;
};

TEST_F(ResourceRegistryTest, LinesRegisterUnderTheirExactNamesAndLaterLinesWin)
{
    image("data/red.png", {255, 0, 0, 255});
    image("data/green.png", {0, 255, 0, 255});
    image("data/my photo.png", {0, 0, 255, 255});
    std::string err;
    ResourceRegistry* registry = load(
        "Texture colour data/red.png\r\n"
        "Texture colour data/green.png\r\n"
        "Texture photo data/my photo.png\r\n"
        "Shader colour data/p.frag data/p.vert\r\n"
        "File notes data/none.txt\r\n"
        "texture ignored data/red.png\r\n"
        " Texture ignored data/red.png\r\n"
        "Texture  data/red.png\r\n"
        "Texture spaced data/red.png \r\n"
        "Shader partial data/p.frag\r\n"
        "Texture last data/green.png",
        &err);

    EXPECT_EQ(readTexture(registry->getTexture("colour")).at(0, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(readTexture(registry->getTexture("photo")).at(0, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(readTexture(registry->getTexture("")).at(0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(readTexture(registry->getTexture("last")).at(0, 0), (Rgba{0, 255, 0, 255}));
    // The earlier "colour" texture was loaded first and is still alive, unreachable by name.
    GLuint earlier = registry->getTexture("colour") - 1;
    EXPECT_TRUE(glIsTexture(earlier));
    EXPECT_EQ(readTexture(earlier).at(0, 0), (Rgba{255, 0, 0, 255}));

    // The same name in another map is another resource.
    ShaderProgram* shader = registry->getShader("colour");
    EXPECT_EQ(shader, registry->getShader("colour")) << "one record, one shared counter";
    EXPECT_TRUE(glIsProgram(shader->program));
    EXPECT_EQ(registry->files.at("notes"), "data/none.txt");
    EXPECT_EQ(registry->textures.count("ignored"), 0u);
    EXPECT_EQ(registry->textures.count("spaced"), 1u) << "registered although its file does not exist";
    EXPECT_EQ(registry->shaders.count("partial"), 0u);

    // The trailing space is part of the path; the short Shader line is reported and skipped.
    EXPECT_NE(err.find("sovane05: data/red.png : cannot load the image"), std::string::npos) << err;
    EXPECT_NE(err.find("sovane05: data/config.txt:10: a Shader line needs a name, a fragment shader path and a "
                       "vertex shader path\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
}

TEST_F(ResourceRegistryTest, MissingNamesThrowOutOfRangeNamingThem)
{
    ResourceRegistry* registry = load("Texture t data/none.png\n");
    try {
        registry->getShader("t");
        ADD_FAILURE() << "no error";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "data/config.txt: no shader program named \"t\"");
    }
    EXPECT_THROW(registry->getTexture("T"), std::out_of_range);
    EXPECT_THROW(registry->getTexture("t "), std::out_of_range);
    EXPECT_NO_THROW(registry->getTexture("t"));
}

TEST_F(ResourceRegistryTest, MeshesLoadInFileOrderAndAMalformedOneStopsConstruction)
{
    writeFile(folder / "data/tri.mesh", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    writeFile(folder / "data/bad.mesh", "v 0 0 0\nf 1 2 3\n");
    ResourceRegistry* registry = load("Mesh tri data/tri.mesh\n");
    ASSERT_EQ(registry->meshes.count("tri"), 1u);
    EXPECT_EQ(registry->meshes.at("tri")->vertexCount, 3);

    writeFile(folder / "data/config.txt", "Mesh bad data/bad.mesh\nTexture after data/none.png\n");
    WorkingFolder inside(folder.path());
    ::testing::internal::CaptureStderr();
    try {
        ResourceRegistry broken;
        ADD_FAILURE() << "no error";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "invalid vector subscript");
    }
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("sovane05: data/bad.mesh: "), std::string::npos) << err;
    EXPECT_EQ(err.find("data/none.png"), std::string::npos) << "nothing after the bad mesh is loaded";
}

TEST_F(ResourceRegistryTest, AMissingEmptyOrUnreadableConfigurationGivesAnEmptyRegistry)
{
    struct Case {
        std::string name;
        std::string err;  // a missing configuration is named by the show's first lookup instead
    };
    const Case cases[] = {
        {"missing", ""},
        {"empty", ""},
        {"folder", "sovane05: data/config.txt: cannot read the configuration: Is a directory\n"},
        {"fifo", "sovane05: data/config.txt: cannot read the configuration: not a regular file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder / "data/config.txt");
        if (c.name == "empty")
            writeFile(folder / "data/config.txt", "");
        if (c.name == "folder")
            std::filesystem::create_directory(folder / "data/config.txt");
        if (c.name == "fifo")
            makeFifo(folder / "data/config.txt");
        WorkingFolder inside(folder.path());
        ::testing::internal::CaptureStderr();
        ResourceRegistry registry;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.err);
        EXPECT_TRUE(registry.shaders.empty() && registry.textures.empty() && registry.meshes.empty() &&
                    registry.files.empty());
    }
}
