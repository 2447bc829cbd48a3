// Loading image files into textures on a real context, read back with glGetTexImage.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "resources/Texture.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

class TextureTest : public GlTest {
protected:
    TempDir folder;
};

TEST_F(TextureTest, EveryChannelLayoutArrivesExactlyAsRgba)
{
    // 3×2 images: odd row lengths in bytes for 1, 2 and 3 channels, so a 4-byte row alignment
    // would shear them. Pixel (x, y) holds distinct values derived from its position.
    auto sample = [](int x, int y, int c) { return uint8_t(10 + 60 * y + 17 * x + 5 * c); };
    struct Case {
        int channels;
        Rgba (*expected)(uint8_t first, uint8_t second, uint8_t third, uint8_t fourth);
    };
    const Case cases[] = {
        {1, [](uint8_t g, uint8_t, uint8_t, uint8_t) { return Rgba{g, g, g, 255}; }},
        {2, [](uint8_t g, uint8_t a, uint8_t, uint8_t) { return Rgba{g, g, g, a}; }},
        {3, [](uint8_t r, uint8_t g, uint8_t b, uint8_t) { return Rgba{r, g, b, 255}; }},
        {4, [](uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return Rgba{r, g, b, a}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels");
        std::vector<uint8_t> samples;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int ch = 0; ch < c.channels; ++ch)
                    samples.push_back(sample(x, y, ch));
        std::string path = (folder / ("image" + std::to_string(c.channels) + ".png")).string();
        writeTestPng(path, 3, 2, c.channels, samples);

        Image texels = readTexture(loadTexture(path.c_str()));
        ASSERT_EQ(texels.width, 3);
        ASSERT_EQ(texels.height, 2);
        // Row 0 of the texture is the file's first (top) row.
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(texels.at(x, y), c.expected(sample(x, y, 0), sample(x, y, 1), sample(x, y, 2), sample(x, y, 3)))
                    << "at " << x << "," << y;
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the loader must leave the unpack alignment as it found it";
}

TEST_F(TextureTest, SixteenBitImagesArriveAsEightBit)
{
    std::string path = (folder / "deep.png").string();
    writeTestPng16(path, 3, 1, 3, {0x1234, 0xABCD, 0xFFFF, 0x0000, 0x80FF, 0x7F00, 0xC0DE, 0x0101, 0xFE00});
    Image texels = readTexture(loadTexture(path.c_str()));
    ASSERT_EQ(texels.width, 3);
    EXPECT_EQ(texels.at(0, 0), (Rgba{0x12, 0xAB, 0xFF, 255}));
    EXPECT_EQ(texels.at(1, 0), (Rgba{0x00, 0x80, 0x7F, 255}));
    EXPECT_EQ(texels.at(2, 0), (Rgba{0xC0, 0x01, 0xFE, 255}));
}

TEST_F(TextureTest, UnreadableFilesStillYieldFreshNamesWithoutImages)
{
    writeFile(folder / "garbage.png", "this is not an image");
    std::filesystem::create_directory(folder / "folder.png");
    makeFifo(folder / "fifo.png");
    const std::pair<std::string, std::string> cases[] = {
        {(folder / "missing.png").string(), "No such file or directory"},
        {(folder / "garbage.png").string(), "unknown image type"},
        {(folder / "folder.png").string(), "Is a directory"},
        {(folder / "fifo.png").string(), "not a regular file"},
    };
    TextureName previous = 0;
    for (const auto& [path, reason] : cases) {
        ::testing::internal::CaptureStderr();
        TextureName name = loadTexture(path.c_str());
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(name, 0u);
        EXPECT_NE(name, previous);
        EXPECT_EQ(err, "sovane05: " + path + ": cannot load the image: " + reason + "\n");
        EXPECT_EQ(readTexture(name).width, 0) << "no image may be specified for it";
        EXPECT_FALSE(hasImage(name)) << path;
        previous = name;
    }
    std::string good = (folder / "good.png").string();
    writeTestPng(good, 1, 1, 4, {1, 2, 3, 4});
    TextureName next = loadTexture(good.c_str());
    EXPECT_NE(next, previous);
    EXPECT_TRUE(hasImage(next));
}

// Headers of a few dozen bytes that claim sizes the decoder would allocate, and for BMP and TGA
// fill, before finding the pixels missing; and a real image with a side longer than any texture
// of this context.
TEST_F(TextureTest, ImagesClaimingHugeSizesAreRefusedBeforeDecoding)
{
    auto little = [](std::initializer_list<uint32_t> values, std::initializer_list<int> widths) {
        std::string bytes;
        auto width = widths.begin();
        for (uint32_t value : values) {
            for (int i = 0; i < *width; ++i)
                bytes += char(value >> (8 * i) & 0xFF);
            ++width;
        }
        return bytes;
    };
    GLint maximumSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maximumSide);
    const std::string side = std::to_string(maximumSide + 1);
    struct Case {
        std::string file;
        std::string content;
        std::string claim;
    };
    const Case cases[] = {
        {"huge.bmp",
         "BM" + little({54, 0, 0, 54, 40, 12000, 12000, 1, 24, 0, 0, 0, 0, 0, 0}, {4, 2, 2, 4, 4, 4, 4, 2, 2, 4, 4, 4, 4, 4, 4}),
         "12000x12000 pixels, over the limit of 67108864 (64 megapixels)"},
        {"huge.tga", little({0, 0, 2, 0, 0, 0, 0, 0, 12000, 12000, 32, 8}, {1, 1, 1, 2, 2, 1, 2, 2, 2, 2, 1, 1}),
         "12000x12000 pixels, over the limit of 67108864 (64 megapixels)"},
        {"huge.ppm", "P6\n9000 9000\n255\n", "9000x9000 pixels, over the limit of 67108864 (64 megapixels)"},
        {"wide.pgm", "P5\n" + side + " 1\n255\n" + std::string(size_t(maximumSide) + 1, '\x80'),
         side + "x1 pixels, wider or taller than the " + std::to_string(maximumSide) + " a texture may be here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = (folder / c.file).string();
        writeFile(path, c.content);
        ::testing::internal::CaptureStderr();
        TextureName name = loadTexture(path.c_str());
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, "sovane05: " + path + ": the image claims " + c.claim + "\n");
        EXPECT_EQ(readTexture(name).width, 0);
        EXPECT_FALSE(hasImage(name));
    }
    // Decoding the BMP or the TGA would have filled at least 400 MB.
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 300 * 1024) << "peak resident kilobytes";
}

TEST_F(TextureTest, FiltersAndWrapsAreLinearAndRepeatWithLevelZeroOnly)
{
    std::string path = (folder / "small.png").string();
    writeTestPng(path, 2, 2, 4, std::vector<uint8_t>(16, 200));
    TextureName name = loadTexture(path.c_str());

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), name) << "the new texture stays bound";
    const std::pair<GLenum, GLint> parameters[] = {
        {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
        {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
        {GL_TEXTURE_WRAP_S, GL_REPEAT},
        {GL_TEXTURE_WRAP_T, GL_REPEAT},
    };
    for (auto [parameter, expected] : parameters) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
        EXPECT_EQ(value, expected) << "parameter 0x" << std::hex << parameter;
    }
    GLint format = 0;
    GLint levelOneWidth = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    EXPECT_EQ(format, GL_RGBA);
    EXPECT_EQ(levelOneWidth, 0);
}
