// The shared GL context of the GL tests.
#include "tests/support/GlTest.h"

#include <SDL.h>

#include "show/ShowGlState.h"

#include <cstdlib>

std::string createOffscreenContext(int width, int height)
{
    // Mesa skips compiling a source it has cached from an earlier run, even one compiled as
    // another stage, and reports success; tests must see every compile, and benchmarks
    // measure the cold start.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return std::string("SDL_Init: ") + SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("gl-tests", 0, 0, width, height, SDL_WINDOW_OPENGL);
    if (window == nullptr)
        return std::string("SDL_CreateWindow: ") + SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    if (SDL_GL_CreateContext(window) == nullptr)
        return std::string("SDL_GL_CreateContext: ") + SDL_GetError();
    glewExperimental = GL_TRUE;
    glewInit();  // Under EGL it reports the missing GLX display; the GL entry points load.
    if (!GLEW_VERSION_4_1)
        return "GLEW did not load OpenGL 4.1";
    return "";
}

namespace {

// Why the shared context could not be made, or "".
const std::string& sharedContextFailure()
{
    static const std::string failure = createOffscreenContext(GlTest::kWidth, GlTest::kHeight);
    return failure;
}

}  // namespace

void GlTest::SetUp()
{
    ASSERT_EQ(sharedContextFailure(), "") << "no OpenGL 4.1 core context";

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
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    image.flipRows();  // GL's rows run bottom to top.
    return image;
}

RenderTarget::RenderTarget(int width, int height) : width(width), height(height)
{
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    bind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

RenderTarget::~RenderTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, GlTest::kWidth, GlTest::kHeight);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glDeleteRenderbuffers(1, &depth);
}

void RenderTarget::bind() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
}

Image RenderTarget::read() const
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return readPixels(width, height);
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
