// Asynchronous read-back through a ring of pixel buffer objects.
#include "tools/lib/gl/FrameReader.h"

#include <GL/glew.h>

FrameReader::FrameReader(int frameWidth, int frameHeight)
    : width(frameWidth), height(frameHeight), buffers(kBuffers), bytes(size_t(frameWidth) * size_t(frameHeight) * 4)
{
    glGenBuffers(kBuffers, buffers.data());
    for (uint32_t buffer : buffers) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

FrameReader::~FrameReader()
{
    glDeleteBuffers(kBuffers, buffers.data());
}

void FrameReader::start()
{
    int next = (oldest + waiting) % kBuffers;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[next]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Left bound, a pack buffer would turn every other glReadPixels of the process into a
    // read into it.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++waiting;
}

bool FrameReader::takeOldest(const std::function<void(std::span<const uint8_t>)>& use)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[oldest]);
    const void* mapped = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, GLsizeiptr(bytes), GL_MAP_READ_BIT);
    if (mapped != nullptr) {
        use(std::span<const uint8_t>(static_cast<const uint8_t*>(mapped), bytes));
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    oldest = (oldest + 1) % kBuffers;
    --waiting;
    return mapped != nullptr;
}
