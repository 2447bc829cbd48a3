// Writes the render with libsndfile into memory, so the caller can replace the target file in
// one step as it does the MP3.
#include "tools/compose/WavFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace compose {

namespace {

// A growing file in memory that libsndfile writes through its virtual I/O; it seeks back to
// fill in the header's sizes when it closes, and never reads a file opened only for writing.
struct MemoryFile {
    std::vector<unsigned char> bytes;
    sf_count_t position = 0;
};

MemoryFile& memoryOf(void* user)
{
    return *static_cast<MemoryFile*>(user);
}

SF_VIRTUAL_IO memoryFileIo()
{
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) { return sf_count_t(memoryOf(user).bytes.size()); };
    io.seek = [](sf_count_t offset, int whence, void* user) {
        MemoryFile& file = memoryOf(user);
        sf_count_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? sf_count_t(file.bytes.size()) : 0;
        file.position = std::max<sf_count_t>(0, base + offset);
        return file.position;
    };
    io.write = [](const void* source, sf_count_t count, void* user) {
        MemoryFile& file = memoryOf(user);
        if (file.bytes.size() < size_t(file.position + count))
            file.bytes.resize(size_t(file.position + count));
        std::memcpy(file.bytes.data() + file.position, source, size_t(count));
        file.position += count;
        return count;
    };
    io.tell = [](void* user) { return memoryOf(user).position; };
    return io;
}

short toSample(float value)
{
    return short(std::lround(std::clamp(double(value), -1.0, 1.0) * 32767.0));
}

}  // namespace

std::vector<unsigned char> encodeWav(const StereoBuffer& audio)
{
    MemoryFile memory;
    SF_VIRTUAL_IO io = memoryFileIo();
    SF_INFO format{};
    format.samplerate = kSampleRate;
    format.channels = 2;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &format, &memory);
    if (file == nullptr)
        throw std::runtime_error(std::string("cannot encode WAV: ") + sf_strerror(nullptr));

    // Converted here, in double precision, rather than by libsndfile, whose float path rounds
    // in single precision and clips at 32768: the same render gives the same samples as ever.
    std::vector<short> interleaved(2 * audio.frames());
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        interleaved[2 * n] = toSample(audio.left[n]);
        interleaved[2 * n + 1] = toSample(audio.right[n]);
    }
    sf_count_t written = sf_writef_short(file, interleaved.data(), sf_count_t(audio.frames()));
    std::string error = sf_strerror(file);
    if (sf_close(file) != 0 || written != sf_count_t(audio.frames()))
        throw std::runtime_error("cannot encode WAV: " + error);
    return memory.bytes;
}

}  // namespace compose
