// The GL test rig itself: a 4.1 core context, and read-back with the top row first.
#include <gtest/gtest.h>

#include "tests/support/GlTest.h"

class GlContextTest : public GlTest {};

TEST_F(GlContextTest, IsCoreProfileOfAtLeastVersion41)
{
    GLint major = 0;
    GLint minor = 0;
    GLint profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 41);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
}

TEST_F(GlContextTest, ReadBackPutsTheTopRowFirst)
{
    // Red in the upper half of the window, in GL's bottom-up coordinates, then the same in a
    // render target of another size.
    auto paintTopHalfRed = [](int width, int height) {
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, height / 2, width, height - height / 2);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    };
    paintTopHalfRed(kWidth, kHeight);
    Image frame = readFramebuffer();
    ASSERT_EQ(frame.width, kWidth);
    EXPECT_EQ(frame.at(3, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(frame.at(3, kHeight - 1), (Rgba{0, 0, 255, 255}));

    RenderTarget target(30, 20);
    paintTopHalfRed(30, 20);
    Image image = readTarget(target);
    EXPECT_EQ(image.at(29, 9), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(image.at(29, 10), (Rgba{0, 0, 255, 255}));
}
