// The shared GL context of the GL tests.
#include "tests/support/GlTest.h"

#include "platform/gl/OffscreenContext.h"
#include "show/ShowGlState.h"

#include <cstdlib>

const std::string& sharedContextFailure(int width, int height)
{
    // Mesa skips compiling a source it has cached from an earlier run, even one compiled as
    // another stage, and reports success; tests must see every compile, and benchmarks time
    // start-up cold, as on a first run.
    static const std::string failure = [width, height] {
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        return createOffscreenContext(width, height).failure;
    }();
    return failure;
}

void GlTest::SetUp()
{
    ASSERT_EQ(sharedContextFailure(kWidth, kHeight), "") << "no OpenGL 4.1 core context";

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kWidth, kHeight);
    setShowGlState();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }
}

void GlTest::TearDown()
{
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the test left a GL error behind";
}

Image GlTest::readFramebuffer() const
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    return readPixels(kWidth, kHeight);
}

Image readPixels(int width, int height)
{
    Image image(width, height);
    readPixelsTopFirst(width, height, image.pixels.data());
    return image;
}

Image readTarget(const RenderTarget& target)
{
    Image image(target.width, target.height);
    image.pixels = target.read();
    return image;
}

Image readTexture(GLuint texture)
{
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    Image image(width, height);
    if (width > 0 && height > 0) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    return image;
}
