// The files compose writes: the WAV image, the MP3 frames with their Info header, and the
// replace-in-one-step writers of files and of folders that every tool writes through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/OutputFile.h"
#include "platform/system/OutputFolder.h"
#include "tests/support/TempDir.h"
#include "tools/compose/Dsp.h"
#include "tools/compose/WavFile.h"
#include "tools/lib/audio/Mp3Encoder.h"

namespace {

uint32_t littleEndian(const std::vector<unsigned char>& bytes, std::size_t at, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[at + std::size_t(i)];
    return value;
}

compose::StereoBuffer tone(double seconds)
{
    compose::StereoBuffer audio(std::size_t(seconds * compose::kSampleRate));
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        audio.left[n] = float(0.5 * std::sin(2.0 * compose::kPi * 440.0 * double(n) / compose::kSampleRate));
        audio.right[n] = -audio.left[n];
    }
    return audio;
}

}  // namespace

TEST(ComposeFiles, WavHeaderAndSamplesAreCanonical)
{
    compose::StereoBuffer audio(3);
    audio.left = {0.0f, 1.0f, -2.0f};
    audio.right = {0.5f, -1.0f, 2.0f};
    std::vector<unsigned char> wav = compose::encodeWav(audio);
    ASSERT_EQ(wav.size(), 44u + 12u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(littleEndian(wav, 4, 4), 36u + 12u);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(littleEndian(wav, 20, 2), 1u);
    EXPECT_EQ(littleEndian(wav, 22, 2), 2u);
    EXPECT_EQ(littleEndian(wav, 24, 4), 44100u);
    EXPECT_EQ(littleEndian(wav, 28, 4), 44100u * 4u);
    EXPECT_EQ(littleEndian(wav, 34, 2), 16u);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(littleEndian(wav, 40, 4), 12u);
    // Interleaved left, right; out-of-range samples are clamped, not wrapped.
    const std::vector<int16_t> expected = {0, 16384, 32767, -32767, -32767, 32767};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(int16_t(littleEndian(wav, 44 + 2 * i, 2)), expected[i]) << i;
}

TEST(ComposeFiles, Mp3StartsWithAnInfoFrameAndHasTheSetBitRate)
{
    compose::StereoBuffer audio = tone(2.0);
    std::optional<std::vector<unsigned char>> mp3 = compose::encodeMp3(audio, {128, 5});
    ASSERT_TRUE(mp3);
    ASSERT_GT(mp3->size(), 200u);
    // MPEG-1 layer III frame sync, then the "Info" tag LAME writes for constant bit rate.
    EXPECT_EQ((*mp3)[0], 0xFF);
    EXPECT_EQ((*mp3)[1] & 0xFE, 0xFA);
    EXPECT_EQ((*mp3)[2] >> 4, 9) << "bit-rate index 9 is 128 kb/s";
    EXPECT_EQ(((*mp3)[2] >> 2) & 3, 0) << "sample-rate index 0 is 44.1 kHz";
    const std::string head(mp3->begin(), mp3->begin() + 200);
    EXPECT_NE(head.find("Info"), std::string::npos);
    // 2 s at 128 kb/s is 32 kB, give or take a frame and the header.
    EXPECT_NEAR(double(mp3->size()), 2.0 * 128000.0 / 8.0, 1500.0);
    // The same input gives the same bytes, also when it comes interleaved in uneven blocks, as
    // make feeds ffmpeg's samples to the encoder.
    EXPECT_EQ(*mp3, *compose::encodeMp3(audio, {128, 5}));
    compose::Mp3Encoder streamed({128, 5});
    std::vector<float> interleaved;
    for (std::size_t n = 0; n < audio.frames(); ++n)
        interleaved.insert(interleaved.end(), {audio.left[n], audio.right[n]});
    for (std::size_t start = 0, block = 1; start < audio.frames(); start += block, block = block * 3 + 7)
        streamed.addInterleaved(interleaved.data() + start * 2, std::min(block, audio.frames() - start));
    EXPECT_TRUE(streamed.finish() == *mp3);
    EXPECT_FALSE(compose::encodeMp3(audio, {128, 5}, [] { return true; }));
}

TEST(ComposeFiles, OutputIsReplacedWholeOrNotAtAll)
{
    TempDir folder;
    std::filesystem::path target = folder / "track.mp3";
    writeFile(target, "old");
    EXPECT_EQ(writeFileAtomically(target, {'n', 'e', 'w'}), std::nullopt);
    EXPECT_EQ(readFile(target), "new");

    std::filesystem::path missing = folder / "no-such-folder" / "track.mp3";
    std::optional<std::string> error = writeFileAtomically(missing, {'x'});
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("No such file or directory"), std::string::npos) << *error;

    // What is not a regular file stays what it is: as root, a rename over /dev/full would have
    // replaced the device with a file.
    std::filesystem::create_directories(folder / "a-folder");
    makeFifo(folder / "a-fifo");
    const std::pair<std::filesystem::path, std::string> refused[] = {
        {folder / "a-folder", "cannot write: Is a directory"},
        {folder / "a-fifo", "cannot write: not a regular file"},
        {"/dev/full", "cannot write: not a regular file"},
    };
    for (const auto& [path, reason] : refused)
        EXPECT_EQ(writeFileAtomically(path, {'x'}), reason) << path;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));

    // Copied from an open file, as make copies a song.
    writeFile(folder / "source", std::string(200000, 's'));
    std::FILE* source = std::fopen((folder / "source").c_str(), "rb");
    ASSERT_NE(source, nullptr);
    OutputFile copy(folder / "copy");
    EXPECT_EQ(copy.copyFrom(source), "");
    std::fclose(source);
    EXPECT_FALSE(std::filesystem::exists(folder / "copy")) << "named before its commit";
    EXPECT_EQ(copy.commit(), "");
    EXPECT_EQ(readFile(folder / "copy"), std::string(200000, 's'));

    // No partial file is left behind by any failure.
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 3);
}

TEST(ComposeFiles, AFolderOfOutputsReplacesTheOldOneWholeAndKeepsItsOtherFiles)
{
    TempDir folder;
    writeFile(folder / "lyrics/000.png", "old image");
    writeFile(folder / "lyrics/notes.txt", "the user's notes");
    writeFile(folder / "file", "not a folder");
    struct Case {
        std::filesystem::path target;
        bool commit;        // false: the run fails or is stopped before its commit
        std::string failure;
        std::map<std::string, std::string> after;  // the target's files afterwards
    };
    const Case cases[] = {
        {folder / "lyrics", false, "", {{"000.png", "old image"}, {"notes.txt", "the user's notes"}}},
        {folder / "lyrics", true, "", {{"000.png", "new image"}, {"notes.txt", "the user's notes"}}},
        {folder / "fresh", true, "", {{"000.png", "new image"}}},
        {folder / "sites/site", true, "", {{"000.png", "new image"}}},
        {folder / "file", true, "cannot replace: not a folder", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.filename().string() + (c.commit ? " committed" : " abandoned"));
        {
            OutputFolder output(c.target);
            ASSERT_EQ(output.failure, "");
            writeFile(output.partialPath / "000.png", "new image");
            if (c.commit) {
                EXPECT_EQ(output.commit(), c.failure);
            }
        }
        if (!c.failure.empty()) {
            EXPECT_EQ(readFile(c.target), "not a folder");
            continue;
        }
        std::map<std::string, std::string> after;
        for (const auto& entry : std::filesystem::directory_iterator(c.target))
            after[entry.path().filename().string()] = readFile(entry.path());
        EXPECT_EQ(after, c.after);
    }
    // Only the targets remain: no partial folder, no old folder set aside.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"file", "fresh", "lyrics", "sites"}));
}
