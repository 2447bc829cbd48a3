// The real sovane05-preview on the test process's virtual display, with a fixture show: the
// picture and title at a chosen moment, the seek and pause keys, rebuilds after edits and the
// builds it refuses, and its memory over many rebuilds.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gl/OffscreenContext.h"
#include "show/ShowBuild.h"
#include "tests/support/GlTest.h"
#include "tests/support/ShowRun.h"

namespace {

// Long enough for every moment the tests start at.
constexpr double kTrack = 30.0;
// How long a test waits for what it expects, on a loaded machine with sanitizers.
constexpr double kPatience = 60.0;
constexpr int kWidth = 320;
constexpr int kHeight = 180;
const char* const kRedBackground =
    "#version 410 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0, 0.0, 0.0, 1.0); }\n";

size_t count(const std::string& text, const std::string& part)
{
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

class PreviewRun {
public:
    // Started in the show folder, or in `from`.
    PreviewRun(const ShowFolder& folder, std::vector<std::string> arguments, const std::string& asanOptions = "",
               const std::filesystem::path& from = {})
    {
        arguments.insert(arguments.begin(), SOVANE05_PREVIEW_BINARY);
        process = std::make_unique<Process>(
            arguments,
            std::vector<std::string>{"DISPLAY=" + virtualDisplay(), "SDL_VIDEODRIVER", "SDL_AUDIODRIVER=dummy",
                                     "MESA_SHADER_CACHE_DISABLE=true",
                                     "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0" + asanOptions},
            from.empty() ? folder.path() : from);
        waitUntil(
            [&] {
                window = xdotool({"search", "--onlyvisible", "--name", "^Sovane05 preview"}).out;
                return !window.empty() || !process->running();
            },
            kPatience);
        window = window.substr(0, window.find('\n'));
    }
    ~PreviewRun()
    {
        if (process->running() && !window.empty())
            keys({"q"});
        process->wait(kPatience);
    }

    std::string title() const
    {
        std::string name = xdotool({"getwindowname", window}).out;
        return name.substr(0, name.find('\n'));
    }
    bool titleHas(const std::string& part) const
    {
        return waitUntil([&] { return title().find(part) != std::string::npos; }, kPatience);
    }
    void keys(std::vector<std::string> names) const
    {
        names.insert(names.begin(), {"key", "--window", window});
        EXPECT_EQ(xdotool(names).exitStatus, 0);
    }
    // The window's content as the X server has it.
    Image grab() const
    {
        std::string path = (std::filesystem::temp_directory_path() / ("sovane05-grab-" + std::to_string(getpid()) + ".png")).string();
        ProcessResult ffmpeg = xClient({"ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-draw_mouse", "0",
                                        "-window_id", window, "-i", virtualDisplay(), "-frames:v", "1", path},
                                       30.0);
        EXPECT_EQ(ffmpeg.exitStatus, 0) << ffmpeg.err;
        Image image = loadImage(path);
        std::filesystem::remove(path);
        return image;
    }
    std::string errors() const { return process->errorSoFar(); }
    size_t builds() const { return count(errors(), "sovane05-preview: built in ") + count(errors(), "stays\n"); }
    // Waits for the rebuild that `r` asks for.
    bool reload() const
    {
        size_t before = builds();
        keys({"r"});
        return waitUntil([&] { return builds() > before; }, kPatience);
    }
    long residentKiB() const
    {
        std::ifstream status("/proc/" + std::to_string(process->id()) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0)
                return std::stol(line.substr(6));
        }
        return -1;
    }

    std::unique_ptr<Process> process;
    std::string window;
};

// The show time the title gives, or -1.
double titleTime(const std::string& title)
{
    size_t at = title.find("preview \u00b7 ");
    return at == std::string::npos ? -1.0 : std::stod(title.substr(at + std::string("preview \u00b7 ").size()));
}

bool isRed(const Image& image)
{
    return image.width > 0 && colourNear(image.at(image.width / 2, image.height / 2), {255, 0, 0, 255}, 2);
}

// The first lyric line of the rebuild test, over the left quarter of the screen.
constexpr Rgba kLineColour = {20, 200, 60, 255};

bool showsTheLine(const Image& image)
{
    return image.width > 0 && colourNear(image.at(image.width / 8, image.height / 2), kLineColour, 2);
}

}  // namespace

TEST(Preview, StartedPausedAtAMomentItShowsWhatTheShowDrawsThereAndSaysSo)
{
    FixtureShow fixture;
    fixture.lines[3] = {20.0, 21.0, {230, 40, 60, 255}, 0.25f, 0.75f};
    fixture.lines[4] = {20.25, 23.0, {30, 200, 90, 255}, 0.5f, 1.0f};
    ShowFolder folder(kTrack, fixture);

    PreviewRun preview(folder, {"--paused", "--at", "20.5", "--size", "320x180"});
    ASSERT_NE(preview.window, "") << preview.errors();
    EXPECT_TRUE(preview.titleHas("20.50 s"));
    EXPECT_EQ(preview.title(), "Sovane05 preview \u00b7 20.50 s \u00b7 Lyrics \u00b7 083 082 \u00b7 paused");
    Image shown = preview.grab();

    // The same moment drawn off-screen by the show's own code.
    OffscreenContext context = createOffscreenContext(kWidth, kHeight);
    ASSERT_EQ(context.failure, "");
    WorkingFolder inside(folder.path());
    BuiltShow show = buildShow(kWidth, kHeight);
    ASSERT_EQ(show.failure, "");
    RenderTarget target(kWidth, kHeight);
    target.bind();
    drawShowMoment(*show.demo, 20.5);
    Image expected = readTarget(target);
    // The window has no alpha channel.
    for (size_t i = 3; i < expected.pixels.size(); i += 4)
        expected.pixels[i] = 255;
    EXPECT_TRUE(imagesMatch(shown, expected, 2, 0.5, "preview-at-20.5"));
}

TEST(Preview, SeekKeysMoveTheTimeAndSpaceResumes)
{
    ShowFolder folder(kTrack);
    PreviewRun preview(folder, {"--paused", "--at", "10", "--size", "320x180"});
    ASSERT_NE(preview.window, "") << preview.errors();
    EXPECT_TRUE(preview.titleHas("10.00 s"));
    preview.keys({"Right"});
    EXPECT_TRUE(preview.titleHas("15.00 s"));
    preview.keys({"shift+Right"});
    EXPECT_TRUE(preview.titleHas("16.00 s"));
    EXPECT_TRUE(preview.titleHas("paused"));
    preview.keys({"space"});
    EXPECT_TRUE(waitUntil([&] { return titleTime(preview.title()) > 16.0; }, kPatience)) << preview.title();
    EXPECT_EQ(preview.title().find("paused"), std::string::npos) << preview.title();
}

TEST(Preview, AnEditShowsInPlaceAndABuildThatWouldBreakTheShowIsRefusedAndReportedOnce)
{
    FixtureShow fixture;
    fixture.lines[0] = {5.0, 20.0, kLineColour, 0.0f, 0.25f};
    ShowFolder folder(kTrack, fixture);
    // Started from the folder above, the faults name the files as typed from there.
    const std::string data = folder.path().filename().string() + "/data";
    PreviewRun preview(folder, {"--data", data, "--paused", "--at", "10", "--size", "320x180"}, "",
                       folder.path().parent_path());
    ASSERT_NE(preview.window, "") << preview.errors();
    ASSERT_TRUE(preview.titleHas("10.00 s"));
    writeFile(folder / "data/white.frag", kRedBackground);
    ASSERT_TRUE(waitUntil([&] { return isRed(preview.grab()); }, kPatience)) << "the edited program never showed";
    ASSERT_TRUE(showsTheLine(preview.grab()));
    const std::string kTruncated = "<the first half of the file>";

    const std::string photoLine = "Texture photo data/photo.png\n";
    std::string withoutPhoto = readFile(folder / "data/config.txt");
    withoutPhoto.erase(withoutPhoto.find(photoLine), photoLine.size());
    struct Case {
        std::string what;
        std::string file;
        std::string content;
        std::string fault;
    };
    const Case cases[] = {
        {"a program that does not compile", "data/white.frag",
         "#version 410 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0) }\n", data + "/white.frag:3: error: "},
        {"an image that does not decode", "data/lines/000.png", "not an image",
         data + "/lines/000.png: the image does not decode"},
        // Once the shown line vanished: the faulty build's texture names, the same numbers in
        // its own context, had been recorded as having no image.
        {"the shown line's image truncated", "data/lines/086.png", kTruncated,
         data + "/lines/086.png: the image does not decode"},
        {"a config that stops start-up", "data/config.txt", withoutPhoto,
         data + "/config.txt: no texture named \"photo\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string good = readFile(folder / c.file);
        writeFile(folder / c.file, c.content == kTruncated ? good.substr(0, good.size() / 2) : c.content);
        ASSERT_TRUE(preview.titleHas(c.fault)) << preview.title() << "\n" << preview.errors();
        Image shown = preview.grab();
        EXPECT_TRUE(isRed(shown)) << "the last good picture should stay";
        EXPECT_TRUE(showsTheLine(shown)) << "the last good picture should stay whole";
        ASSERT_TRUE(preview.reload()) << "the same faulty build again";
        EXPECT_EQ(count(preview.errors(), "sovane05-preview: " + c.fault), 1u) << preview.errors();

        writeFile(folder / c.file, good);
        EXPECT_TRUE(waitUntil([&] { return preview.title() == "Sovane05 preview \u00b7 10.00 s \u00b7 Lyrics \u00b7 086 \u00b7 paused"; },
                              kPatience))
            << preview.title();
    }
}

TEST(Preview, AHundredRebuildsLeaveResidentMemoryWhereItWas)
{
    ShowFolder folder(kTrack);
    // AddressSanitizer's quarantine holds on to freed memory by design; without it what the
    // preview frees can be used again, as with the ordinary allocator.
    PreviewRun preview(folder, {"--paused", "--at", "10"}, ":quarantine_size_mb=0");
    ASSERT_NE(preview.window, "") << preview.errors();
    // The allocators take a few dozen rebuilds to reach their working set, and the resident
    // size swings from one rebuild to the next as big blocks go back to the system, so the
    // peaks of the first and the last ten of the hundred are compared. Leaking one context's GL
    // objects per rebuild (megabytes) would show many times over.
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(preview.reload()) << "rebuild " << i;
    std::vector<long> resident;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(preview.reload()) << "rebuild " << 30 + i;
        resident.push_back(preview.residentKiB());
    }
    long first = *std::max_element(resident.begin(), resident.begin() + 10);
    long last = *std::max_element(resident.end() - 10, resident.end());
    RecordProperty("residentKiBFirst", std::to_string(first));
    RecordProperty("residentKiBLast", std::to_string(last));
    EXPECT_LT(last - first, 4 * 1024) << "from " << first << " KiB to " << last << " KiB";
}
