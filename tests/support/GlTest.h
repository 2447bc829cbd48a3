// A GoogleTest fixture that gives a test a real OpenGL 4.1 core context (SDL's offscreen driver,
// EGL on Mesa), with GLEW loaded, the show's global GL state set, and pixel read-back.
//
//   class QuadTest : public GlTest {};
//   TEST_F(QuadTest, DrawsUpright) {
//       ...draw...
//       Image frame = readFramebuffer();      // the whole default frame buffer, top row first
//   }
//
// The context is created once per process and shared by every test; SetUp restores the show's
// state before each test. Tests that need another size render into a RenderTarget.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/support/Image.h"

class GlTest : public ::testing::Test {
public:
    // Size of the default frame buffer of the shared context.
    static constexpr int kWidth = 192;
    static constexpr int kHeight = 108;

protected:
    void SetUp() override;
    void TearDown() override;

    // Reads the default frame buffer's back buffer, top row first, as RGBA.
    Image readFramebuffer() const;
};

// Makes an OpenGL 4.1 core context current on an offscreen window of the given size, with
// GLEW loaded and Mesa's shader cache off. Once per process. Returns why it failed, or "".
std::string createOffscreenContext(int width, int height);

// Reads the currently bound read frame buffer's rectangle, top row first, as RGBA.
Image readPixels(int width, int height);

// An off-screen colour (RGBA8) and depth frame buffer of any size. bind() makes it the draw
// and read target and sets the viewport to cover it; the destructor returns to the default.
class RenderTarget {
public:
    RenderTarget(int width, int height);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    void bind() const;
    Image read() const;

    int width;
    int height;

private:
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
};

// The RGBA texels of level 0 of a 2D texture, first row first.
Image readTexture(GLuint texture);
