// A GoogleTest fixture that gives a test a real OpenGL 4.1 core context (SDL's offscreen driver,
// EGL on Mesa), with GLEW loaded, the show's global GL state set, and pixel read-back.
//
//   class QuadTest : public GlTest {};
//   TEST_F(QuadTest, DrawsUpright) {
//       ...draw...
//       Image frame = readFramebuffer();      // the whole default frame buffer, top row first
//   }
//
// The context (platform/gl/OffscreenContext.h) is created once per process and shared by every
// test; SetUp restores the show's state before each test. Tests that need another size render
// into a RenderTarget (tools/lib/gl/RenderTarget.h) and read it with readTarget.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/support/Image.h"
#include "tools/lib/gl/RenderTarget.h"

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

// Why the process's one off-screen context could not be made, or "". The first call makes it,
// at its size, with Mesa's shader cache off.
const std::string& sharedContextFailure(int width, int height);

// Reads the currently bound read frame buffer's rectangle, top row first, as RGBA.
Image readPixels(int width, int height);

// A render target's colour as an image, top row first.
Image readTarget(const RenderTarget& target);

// The RGBA texels of level 0 of a 2D texture, first row first.
Image readTexture(GLuint texture);
