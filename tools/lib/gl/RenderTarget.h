// An off-screen frame buffer with a colour (RGBA8) and a depth attachment, of any size, and
// reading pixels back top row first. The show draws into it exactly as into a window once it
// is bound, since the scenes never set a viewport of their own.
//
//   RenderTarget target(1920, 1080);
//   target.bind();                        // draw and read target, viewport covering it
//   ...draw...
//   std::vector<uint8_t> rgba = target.read();
#pragma once

#include <cstdint>
#include <vector>

class RenderTarget {
public:
    RenderTarget(int width, int height);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // False when the driver refused the attachments (a size beyond its limits).
    bool complete() const { return isComplete; }
    // Makes it the draw and read frame buffer and sets the viewport to cover it.
    void bind() const;
    // Its colour, RGBA, rows top to bottom.
    std::vector<uint8_t> read() const;

    const int width;
    const int height;

private:
    uint32_t framebuffer = 0;
    uint32_t colour = 0;
    uint32_t depth = 0;
    bool isComplete = false;
};

// Reads `width` × `height` RGBA pixels of the bound read frame buffer into `rgba`, rows top
// to bottom (GL's own order is bottom to top).
void readPixelsTopFirst(int width, int height, uint8_t* rgba);
