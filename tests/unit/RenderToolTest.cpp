// sovane05-render's decisions that need no GL: which options go together, which show times a
// run draws, how stills are named, when progress is reported, the frames' conversion to the
// YUV 4:2:0 that the encoder takes, and their queue to it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/render/FrameTimes.h"
#include "tools/render/OutputPattern.h"
#include "tools/render/QueuedWriter.h"
#include "tools/render/RenderOptions.h"
#include "platform/system/StopSignal.h"
#include "tools/lib/base/Progress.h"
#include "tools/render/Yuv420.h"

TEST(RenderArguments, EachModeTakesItsOwnOptionsAndRefusesTheOthers)
{
    struct Case {
        std::vector<std::string_view> arguments;
        std::string usageError;  // its start; "" when the line is sound
    };
    const Case cases[] = {
        {{"--at", "12.5", "-o", "frame.png"}, ""},
        {{"--at", "1", "--at", "2", "-o", "f%03d.png", "--size", "640x360", "--data", "d", "--force"}, ""},
        {{"--every", "0.5", "--from", "40", "--to", "50", "--output", "frames/%05d.png"}, ""},
        {{"--video", "out.mp4", "--fps", "30", "--from", "10", "--to", "20"}, ""},
        {{}, "nothing to render"},
        {{"--at", "1"}, "--at and --every need -o"},
        {{"-o", "a.png"}, "-o needs --at or --every"},
        {{"--at", "1", "--at", "2", "-o", "a.png"}, "-o 'a.png': several frames need a %d or %t field"},
        {{"--at", "1", "--every", "1", "-o", "%d.png"}, "--at cannot be combined"},
        {{"--from", "1", "--to", "2", "-o", "%d.png"}, "--from and --to need --every or --video"},
        {{"--every", "1", "--from", "3", "--to", "2", "-o", "%d.png"}, "--from must not come after --to"},
        {{"--every", "1e-9", "--to", "64", "-o", "%d.png"}, "--every makes more than 1000000 frames"},
        {{"--video", "v.mp4", "--at", "1"}, "--video cannot be combined"},
        {{"--video", "v.mp4", "--from", "5", "--to", "5"}, "--from must come before --to"},
        {{"--video", "v.mp4", "--size", "641x360"}, "a video needs an even width and height"},
        {{"--at", "1", "-o", "a.png", "--fps", "30"}, "--fps and --quality are for --video only"},
        {{"--at", "1", "-o", "a.png", "--quality", "best"}, "--fps and --quality are for --video only"},
        {{"--video", "v.mp4", "--quality", "fast"}, "--quality needs draft, normal or best, not 'fast'"},
        {{"--at", "-1", "-o", "a.png"}, "--at needs a show time in seconds from 0 on"},
        {{"--every", "0", "-o", "%d.png"}, "--every needs a step in seconds above 0"},
        {{"--video", "v.mp4", "--fps", "0.5"}, "--fps needs frames per second from 1 to 240"},
        {{"--at", "1", "-o", "%s.png"}, "-o '%s.png': '%s' is not a %d or %t field"},
        {{"--at"}, "--at needs a value"},
        {{"--loop"}, "unknown argument '--loop'"},
    };
    for (const Case& c : cases) {
        ParsedArguments parsed = parseRenderArguments(c.arguments);
        std::string line = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.standardOption, "") << line;
        if (c.usageError.empty())
            EXPECT_EQ(parsed.usageError, "") << line;
        else
            EXPECT_EQ(parsed.usageError.substr(0, c.usageError.size()), c.usageError) << line;
    }

    RenderOptions stills = parseRenderArguments({"--at", "1", "--at", "0.25", "-o", "f%d.png", "--size", "640x360"}).options;
    EXPECT_EQ(stills.at, (std::vector<double>{1.0, 0.25}));
    EXPECT_EQ(std::pair(stills.width, stills.height), std::pair(640, 360));
    RenderOptions video = parseRenderArguments({"--video", "v.mp4", "--to", "20"}).options;
    EXPECT_EQ(std::tuple(video.fps, video.width, video.height, video.data), std::tuple(60.0, 1920, 1080, ""));
    EXPECT_EQ(video.quality, VideoQuality::Normal);
    EXPECT_EQ(parseRenderArguments({"--video", "v.mp4", "--quality", "draft"}).options.quality, VideoQuality::Draft);
    EXPECT_EQ(std::pair(video.from, video.to), std::pair(std::optional<double>(), std::optional<double>(20.0)));
    EXPECT_EQ(parseRenderArguments({"--version", "--at", "x"}).standardOption, "--version");
}

TEST(RenderFrameTimes, StillsReachTheirEndAndVideoFramesStopBeforeIt)
{
    struct Stills {
        double from, to, every;
        std::vector<double> moments;
    } const stills[] = {
        {0.0, 1.0, 0.5, {0.0, 0.5, 1.0}},
        {0.0, 0.3, 0.1, {0.0, 0.1, 0.2, 0.30000000000000004}},
        {2.0, 2.0, 1.0, {2.0}},
        {0.0, 0.99, 0.5, {0.0, 0.5}},
        {3.0, 2.0, 1.0, {}},
    };
    for (const Stills& s : stills) {
        EXPECT_EQ(momentsEvery(s.from, s.to, s.every), s.moments) << s.from << " to " << s.to << " every " << s.every;
        EXPECT_EQ(momentCount(s.from, s.to, s.every), int64_t(s.moments.size()));
    }

    struct Video {
        double from, to, fps;
        int64_t frames;
    } const videos[] = {{0.0, 64.0, 60.0, 3840}, {43.0, 47.0, 60.0, 240}, {0.0, 2.01, 10.0, 21},
                        {0.0, 0.3, 10.0, 3},     {5.0, 5.0, 60.0, 0}};
    for (const Video& v : videos)
        EXPECT_EQ(videoFrameCount(v.from, v.to, v.fps), v.frames) << v.from << " to " << v.to << " at " << v.fps;
    EXPECT_EQ(videoFrameTime(0.0, 60.0, 3839), 3839.0 / 60.0);
    EXPECT_EQ(videoFrameTime(43.0, 60.0, 60), 44.0);
}

TEST(OutputPattern, OneFieldNumbersTheStillsOrNamesThemByTime)
{
    struct Case {
        std::string pattern;
        int64_t number;
        double seconds;
        std::string path;  // or the start of the reason it is refused
        bool refused = false;
    };
    const Case cases[] = {
        {"frames/%05d.png", 12, 0.2, "frames/00012.png"},
        {"f%d.png", 3840, 64.0, "f3840.png"},
        {"f%02d.png", 123, 2.05, "f123.png"},
        {"f%02d.png", -3, 0.0, "f-3.png"},
        {"100%%-%d.png", 1, 0.0, "100%-1.png"},
        {"still.png", 5, 20.0, "still.png"},
        {"frames/%t.png", 3, 12.5, "frames/012.500.png"},
        {"at-%t-s.png", 0, 183.7, "at-183.700-s.png"},
        {"f%t.png", 9, 1234.5, "f1234.500.png"},
        {"frames/", 2, 5.0, "frames/005.000.png"},
        {"%d-%d.png", 0, 0.0, "'%d-%d.png' holds more than one field", true},
        {"%t-%d.png", 0, 0.0, "'%t-%d.png' holds more than one field", true},
        {"a%s.png", 0, 0.0, "'a%s.png': '%s' is not a %d or %t field", true},
        {"a%.png", 0, 0.0, "'a%.png': '%.' is not a %d or %t field", true},
        {"a%", 0, 0.0, "'a%': '%' is not a %d or %t field", true},
    };
    for (const Case& c : cases) {
        std::string why;
        std::optional<OutputPattern> pattern = parseOutputPattern(c.pattern, why);
        if (c.refused) {
            EXPECT_FALSE(pattern.has_value()) << c.pattern;
            EXPECT_EQ(why.substr(0, c.path.size()), c.path) << c.pattern;
        } else {
            ASSERT_TRUE(pattern.has_value()) << c.pattern << ": " << why;
            EXPECT_EQ(pattern->fill(c.number, c.seconds), c.path) << c.pattern;
        }
    }
}

TEST(Progress, ATerminalLineIsRedrawnInPlaceAndALogGetsALineEachTenth)
{
    EXPECT_EQ(progressLine("sovane05-render", "frames", 1234, 3840, 100.0),
              "sovane05-render: 1234/3840 frames (32%), 12.3 frames/s, 3:31 left");
    EXPECT_EQ(progressLine("sovane05-make", "images", 0, 3840, 0.0),
              "sovane05-make: 0/3840 images (0%), 0.0 images/s, -:-- left");

    Progress log("t", "frames", 100, false);
    std::vector<int64_t> reported;
    for (int64_t done = 1; done <= 100; ++done) {
        std::string text = log.update(done, double(done));
        if (!text.empty()) {
            EXPECT_EQ(text, progressLine("t", "frames", done, 100, double(done)) + "\n");
            reported.push_back(done);
        }
    }
    EXPECT_EQ(reported, (std::vector<int64_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));

    Progress terminal("t", "frames", 100, true);
    EXPECT_EQ(terminal.update(1, 0.1), "\r" + progressLine("t", "frames", 1, 100, 0.1) + "\x1b[K");
    EXPECT_EQ(terminal.update(2, 0.2), "") << "redrawn again within a quarter of a second";
    EXPECT_EQ(terminal.update(3, 0.4), "\r" + progressLine("t", "frames", 3, 100, 0.4) + "\x1b[K");
    EXPECT_EQ(terminal.close(), "\n") << "a line left open is ended before another message";
    EXPECT_EQ(terminal.update(100, 0.45), "\r" + progressLine("t", "frames", 100, 100, 0.45) + "\x1b[K\n");
    EXPECT_EQ(terminal.close(), "") << "the last line is ended already";
}

TEST(Yuv420, ColoursMatchBt601LimitedRangeWithRowsTurnedUprightAndChromaAveraged)
{
    // BT.601 limited range, in floating point, as ffmpeg converts RGB when it is left to.
    auto expected = [](double r, double g, double b) {
        return std::array<double, 3>{16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0,
                                     128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0,
                                     128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0};
    };
    struct Colour {
        uint8_t r, g, b;
    };
    // A 4×4 frame, bottom row first as GL reads it: each 2×2 block holds one colour, except the
    // last, whose pixels differ and whose chroma is their mean.
    const Colour blocks[4] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}};
    const Colour mixed[4] = {{0, 0, 255}, {255, 255, 0}, {128, 128, 128}, {10, 200, 90}};
    const int width = 4, height = 4;
    std::vector<uint8_t> rgba(width * height * 4);
    auto pixel = [&](int x, int yFromTop) -> Colour {
        int block = (yFromTop / 2) * 2 + x / 2;
        return block == 3 ? mixed[(yFromTop % 2) * 2 + x % 2] : blocks[block];
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour c = pixel(x, y);
            uint8_t* out = &rgba[((height - 1 - y) * width + x) * 4];
            out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = 255;
        }
    std::vector<uint8_t> yuv(yuv420Bytes(width, height));
    ASSERT_EQ(yuv.size(), 24u);
    rgbaToYuv420(rgba, width, height, yuv);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour c = pixel(x, y);
            EXPECT_NEAR(yuv[y * width + x], expected(c.r, c.g, c.b)[0], 1.0) << "luma at " << x << "," << y;
        }
    for (int block = 0; block < 4; ++block) {
        double r = 0, g = 0, b = 0;
        for (int k = 0; k < 4; ++k) {
            Colour c = pixel((block % 2) * 2 + k % 2, (block / 2) * 2 + k / 2);
            r += c.r / 4.0, g += c.g / 4.0, b += c.b / 4.0;
        }
        EXPECT_NEAR(yuv[16 + block], expected(r, g, b)[1], 1.0) << "blue difference of block " << block;
        EXPECT_NEAR(yuv[20 + block], expected(r, g, b)[2], 1.0) << "red difference of block " << block;
    }

    // A frame wider than the vector code's stride and no multiple of it, so both its body and
    // the pixels left over are reached.
    const int wide = 70;
    std::vector<uint8_t> row(wide * 2 * 4);
    for (size_t k = 0; k < row.size(); ++k)
        row[k] = k % 4 == 3 ? 255 : uint8_t(k * 37 % 256);
    std::vector<uint8_t> wideYuv(yuv420Bytes(wide, 2));
    rgbaToYuv420(row, wide, 2, wideYuv);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < wide; ++x) {
            const uint8_t* p = &row[((1 - y) * wide + x) * 4];
            EXPECT_NEAR(wideYuv[y * wide + x], expected(p[0], p[1], p[2])[0], 1.0) << "luma at " << x << "," << y;
        }
    for (int x = 0; x < wide / 2; ++x) {
        double r = 0, g = 0, b = 0;
        for (int k = 0; k < 4; ++k) {
            const uint8_t* p = &row[((k / 2) * wide + 2 * x + k % 2) * 4];
            r += p[0] / 4.0, g += p[1] / 4.0, b += p[2] / 4.0;
        }
        EXPECT_NEAR(wideYuv[2 * wide + x], expected(r, g, b)[1], 1.0) << "blue difference of block " << x;
        EXPECT_NEAR(wideYuv[2 * wide + wide / 2 + x], expected(r, g, b)[2], 1.0) << "red difference of block " << x;
    }
}

TEST(QueuedWriter, FramesArriveWholeAndInOrderAndAClosedReaderIsAFailure)
{
    ignoreBrokenPipe();
    // Frames larger than a pipe holds, read in small pieces by a slow reader, so the queue fills.
    constexpr size_t kFrameBytes = 200'000;
    constexpr int kFrames = 7;
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::string received;
    std::thread reader([&] {
        char piece[4096];
        for (ssize_t got; (got = read(ends[0], piece, sizeof piece)) > 0;)
            received.append(piece, size_t(got));
    });
    {
        QueuedWriter queue(ends[1], kFrameBytes, 2);
        for (int k = 0; k < kFrames; ++k) {
            std::span<uint8_t> frame = queue.next();
            ASSERT_EQ(frame.size(), kFrameBytes);
            std::fill(frame.begin(), frame.end(), uint8_t('a' + k));
            queue.send();
        }
        EXPECT_TRUE(queue.drain());
    }
    close(ends[1]);
    reader.join();
    close(ends[0]);
    std::string expected;
    for (int k = 0; k < kFrames; ++k)
        expected.append(kFrameBytes, char('a' + k));
    EXPECT_TRUE(received == expected) << received.size() << " bytes arrived of " << expected.size();

    // The reader gone: the write fails, the queue says so and takes no more frames.
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    QueuedWriter queue(ends[1], kFrameBytes, 1);
    queue.next();
    queue.send();
    EXPECT_FALSE(queue.drain());
    EXPECT_TRUE(queue.next().empty());
    close(ends[1]);
}

TEST(Progress, SizesReadAsAPersonReadsThem)
{
    const std::pair<uintmax_t, std::string> cases[] = {
        {0, "0 bytes"},          {1, "1 byte"},          {999, "999 bytes"},       {1000, "1 kB"},
        {48'400, "48 kB"},       {999'499, "999 kB"},    {3'149'000, "3.1 MB"},    {22'400'000, "22 MB"},
        {999'000'000, "999 MB"}, {4'020'000'000, "4.0 GB"},
    };
    for (const auto& [bytes, words] : cases)
        EXPECT_EQ(sizeInWords(bytes), words) << bytes;
}
