// The real sovane05-render on fixture shows: stills that repeat byte for byte and stand
// upright, a video with its music checked by ffprobe, and failures that end in one line and
// leave no file behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/FixtureShow.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"
#include "tests/support/TestMusic.h"
#include "tools/lib/audio/Mp3Length.h"
#include "tools/lib/audio/Mp3Stream.h"
#include "tools/lib/gl/MusicFile.h"

namespace {

const std::string kTool = SOVANE05_RENDER_TOOL;

// A fixture show with `music` as its track and a photo red over its top half and transparent
// over its bottom half, one texel row per pixel row of a 36-row frame.
void writeRenderFixture(const TempDir& folder, const std::filesystem::path& music, const FixtureShow& show = {})
{
    writeFixtureShow(folder.path(), show);
    std::vector<uint8_t> photo;
    for (int row = 0; row < 36; ++row)
        photo.insert(photo.end(), {255, 0, 0, uint8_t(row < 18 ? 255 : 0)});
    writeTestPng(folder / "data/photo.png", 1, 36, 4, photo);
    std::filesystem::copy_file(music, folder / "data/ywsf.mp3");
}

std::set<std::filesystem::path> entriesIn(const std::filesystem::path& folder)
{
    auto entries = std::filesystem::recursive_directory_iterator(folder);
    return {begin(entries), end(entries)};
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// ffprobe's view: one line per stream, then the format's duration.
std::vector<std::string> probe(const std::filesystem::path& video)
{
    return linesOf(runProcess({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                               "stream=codec_type,codec_name,pix_fmt,width,height,nb_read_frames:format=duration", "-of",
                               "compact=p=0", video.string()})
                       .out);
}

}  // namespace

TEST(RenderTool, OneMomentGivesTheSameBytesEveryTimeWithTheTopRowFirst)
{
    TempDir folder;
    writeRenderFixture(folder, testMusic(2.0));
    for (const char* name : {"first.png", "second.png"}) {
        ProcessResult run = runProcess({kTool, "--at", "50", "-o", name, "--size", "64x36"}, {}, folder.path(), 120.0);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(run.err.starts_with("sovane05-render: wrote " + std::string(name) + " (") && run.err.ends_with(")\n") &&
                    std::count(run.err.begin(), run.err.end(), '\n') == 1)
            << run.err;
    }
    EXPECT_TRUE(readFile(folder / "first.png") == readFile(folder / "second.png")) << "two renders of t = 50 differ";

    Image still = loadImage((folder / "first.png").string());
    ASSERT_EQ(std::pair(still.width, still.height), std::pair(64, 36));
    EXPECT_TRUE(colourNear(still.at(32, 0), {255, 0, 0, 255}, 2)) << "the photo's red top is not the first row";
    EXPECT_TRUE(colourNear(still.at(32, 35), fixtureBackground(50.0), 2)) << "the background does not show at the bottom";
}

TEST(RenderTool, AVideoHoldsItsFramesInStepAndTheMusicForAsLong)
{
    TempDir folder;
    // One full-width line shows while 1.0 < t < 1.5: frames 11 to 14 at 10 frames a second.
    FixtureShow show;
    show.lines[0] = {1.0, 1.5, {255, 255, 255, 255}, 0.0f, 1.0f};
    std::filesystem::path music = testMusic(2.0);
    writeRenderFixture(folder, music, show);
    std::string why;
    std::optional<DecodedMusic> decoded = decodeMusic(music.string(), why);
    ASSERT_TRUE(decoded.has_value()) << why;
    const double fps = 10.0;
    const int frames = int(std::ceil(decoded->seconds() * fps - 1e-9));

    ProcessResult run = runProcess({kTool, "--video", "show.mp4", "--fps", "10", "--size", "64x36"}, {}, folder.path(), 120.0);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    char wrote[96];
    std::snprintf(wrote, sizeof wrote, "sovane05-render: wrote show.mp4 (%.1f s, ", frames / fps);
    std::string last = run.err.substr(run.err.rfind('\n', run.err.size() - 2) + 1);
    EXPECT_EQ(last.substr(0, std::strlen(wrote)), wrote) << run.err;
    std::vector<std::string> streams = probe(folder / "show.mp4");
    ASSERT_EQ(streams.size(), 3u) << "one video stream, one audio stream and the format";
    EXPECT_EQ(streams[0], "codec_name=h264|codec_type=video|width=64|height=36|pix_fmt=yuv420p|nb_read_frames=" +
                              std::to_string(frames));
    EXPECT_EQ(streams[1].substr(0, 31), "codec_name=aac|codec_type=audio");
    EXPECT_NEAR(std::stod(streams[2].substr(9)), decoded->seconds(), 0.5 / fps) << streams[2];

    ProcessResult pixels = runProcess({"ffmpeg", "-v", "error", "-i", (folder / "show.mp4").string(), "-f", "rawvideo",
                                       "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(pixels.out.size(), size_t(frames) * 64 * 36 * 3) << pixels.err;
    for (int frame = 9; frame <= 16; ++frame) {
        size_t centre = (size_t(frame) * 64 * 36 + 18 * 64 + 32) * 3;
        bool lineShown = uint8_t(pixels.out[centre + 1]) > 160;
        EXPECT_EQ(lineShown, frame >= 11 && frame <= 14) << "frame " << frame << " is not t = " << frame / fps;
    }
}

TEST(RenderTool, TheMusicIsMeasuredAsItStreamsToTheLengthTheShowsDecoderGives)
{
    // The render and make tools measure the music block by block through libmpg123; SDL_mixer,
    // which the show plays it with and which decodes it whole here, agrees to the sample at the
    // show's 44.1 kHz, on every sample's value too (make finds the beat in them). At other rates
    // its resampling loses a few milliseconds at the end, which the stream converted in SDL_mixer's
    // pieces keeps: its length is SDL_mixer's, and at 48 kHz its every sample.
    TempDir folder;
    ProcessResult resampled = runProcess({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=1.7",
                                          "-ar", "48000", "-ac", "1", "-c:a", "libmp3lame", "mono48k.mp3"},
                                         {}, folder.path(), 60.0);
    ASSERT_EQ(resampled.exitStatus, 0) << resampled.err;
    writeFile(folder / "text.mp3", "not an MP3 at all");
    ProcessResult stock = runProcess({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=1.3",
                                      "-ar", "44100", "-ac", "2", "-c:a", "libmp3lame", "stereo44k.mp3"},
                                     {}, folder.path(), 60.0);
    ASSERT_EQ(stock.exitStatus, 0) << stock.err;
    struct Case {
        std::filesystem::path music;
        double tolerance;  // seconds
        bool sameSamples;
        bool sameConverted;
    };
    const Case cases[] = {
        {std::filesystem::path(SOVANE05_SOURCE_DIR) / "data/ywsf.mp3", 0.0, true, true},
        {folder / "stereo44k.mp3", 0.0, true, true},
        {testMusic(2.0), 0.025, false, false},  // 24 kHz
        {folder / "mono48k.mp3", 0.025, false, true},
    };
    for (const Case& c : cases) {
        std::string why;
        std::optional<DecodedMusic> decoded = decodeMusic(c.music.string(), why);
        ASSERT_TRUE(decoded.has_value()) << c.music << ": " << why;
        std::optional<double> measured = measureMp3(c.music.string(), why);
        ASSERT_TRUE(measured.has_value()) << c.music << ": " << why;
        EXPECT_NEAR(*measured, decoded->seconds(), c.tolerance + 1e-9) << c.music;
        std::vector<int16_t> streamed;
        auto keep = [&streamed](const Mp3Block& block) {
            streamed.insert(streamed.end(), block.samples.begin(), block.samples.end());
            return true;
        };
        ASSERT_TRUE(decodeMp3(c.music.string(), keep, why)) << c.music << ": " << why;
        EXPECT_EQ(streamed == decoded->samples, c.sameSamples) << c.music;
        std::vector<int16_t> converted;
        auto keepConverted = [&converted](std::span<const int16_t> samples) {
            converted.insert(converted.end(), samples.begin(), samples.end());
            return true;
        };
        ASSERT_TRUE(streamMusic(c.music.string(), keepConverted, why)) << c.music << ": " << why;
        EXPECT_EQ(converted.size(), decoded->samples.size()) << c.music;
        EXPECT_EQ(converted == decoded->samples, c.sameConverted) << c.music;
    }
    std::string why;
    EXPECT_FALSE(measureMp3((folder / "text.mp3").string(), why));
    EXPECT_NE(why, "");
    EXPECT_FALSE(measureMp3(folder.path().string(), why));
    EXPECT_EQ(why, "Is a directory");
}

TEST(RenderTool, FailuresEndInOneLineWithStatusOneAndLeaveNoFile)
{
    TempDir folder;
    writeRenderFixture(folder, testMusic(30.0));
    writeFile(folder / "file", "a file, not a folder");
    writeFile(folder / "taken.png", "kept");
    const std::set<std::filesystem::path> before = entriesIn(folder.path());
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
        std::string lastLine;  // its start
        bool interrupt = false;
    };
    const Case cases[] = {
        {{"--video", "out.mp4"}, {"PATH=/nonexistent"},
         "sovane05-render: ffmpeg not found: it comes with Debian's package ffmpeg"},
        {{"--video", "file/out.mp4"}, {}, "sovane05-render: file/out.mp4: cannot make its folder: Not a directory"},
        {{"--at", "1", "-o", "taken.png"}, {}, "sovane05-render: taken.png: exists; --force replaces it"},
        {{"--video", "out.mp4", "--fps", "240", "--size", "64x36"}, {}, "sovane05-render: interrupted; out.mp4 not written",
         true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {kTool};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        Process process(command, c.environment, folder.path());
        if (c.interrupt) {
            // Once the first progress line is out, frames are on their way to ffmpeg.
            double deadline = monotonicSeconds() + 120.0;
            while (process.running() && process.errorSoFar().empty() && monotonicSeconds() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            process.sendSignal(SIGINT);
        }
        ProcessResult result = process.wait(120.0);
        std::string shown = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(result.signal, 0) << shown;
        EXPECT_EQ(result.exitStatus, 1) << shown << "\n" << result.err;
        std::vector<std::string> lines = linesOf(result.err);
        ASSERT_FALSE(lines.empty()) << shown;
        EXPECT_EQ(lines.back().substr(0, c.lastLine.size()), c.lastLine) << shown;
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            EXPECT_NE(lines[i].find(" frames ("), std::string::npos) << shown << ": more than one line: " << lines[i];
        EXPECT_EQ(entriesIn(folder.path()), before) << shown << " left a file behind";
    }
    EXPECT_EQ(readFile(folder / "taken.png"), "kept");
}
