// Test tracks: a sine tone written as WAV, then encoded by lame.
#include "tests/support/TestMusic.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/Process.h"

namespace {

void writeWav(const std::filesystem::path& path, double seconds)
{
    const uint32_t rate = 44100;
    const uint32_t frames = uint32_t(seconds * rate);
    std::vector<int16_t> samples(size_t(frames) * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        int16_t value = int16_t(3000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate));
        samples[2 * i] = samples[2 * i + 1] = value;
    }
    auto u32 = [](std::ofstream& out, uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::ofstream& out, uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    u32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(out, 16);
    u16(out, 1);
    u16(out, 2);
    u32(out, rate);
    u32(out, rate * 4);
    u16(out, 4);
    u16(out, 16);
    out.write("data", 4);
    u32(out, dataBytes);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

}  // namespace

std::filesystem::path testMusic(double seconds)
{
    std::filesystem::path folder = std::filesystem::path(SOVANE05_TEST_OUTPUT_DIR) / "music";
    std::filesystem::create_directories(folder);
    std::filesystem::path mp3 = folder / ("tone-" + std::to_string(int(seconds * 1000)) + "ms.mp3");
    if (std::filesystem::exists(mp3))
        return mp3;

    // Tests run in parallel: each encodes into its own file, and the rename is atomic.
    std::string unique = std::to_string(getpid());
    std::filesystem::path wav = folder / ("tone-" + unique + ".wav");
    std::filesystem::path partial = folder / ("tone-" + unique + ".mp3");
    writeWav(wav, seconds);
    ProcessResult lame = runProcess({"lame", "--quiet", "-b", "64", wav.string(), partial.string()});
    std::filesystem::remove(wav);
    if (lame.exitStatus != 0)
        throw std::runtime_error("lame could not encode the test music: " + lame.err);
    std::filesystem::rename(partial, mp3);
    return mp3;
}
