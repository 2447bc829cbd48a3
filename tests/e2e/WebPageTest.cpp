// The page sovane05-web makes, in a real browser: headless Chromium with WebGL 2 on SwiftShader,
// the site served on the loopback address. Its stills match sovane05-render's frames of the same
// moments at the same size; it plays from a moment, stops on Escape, resumes, reaches the photo
// scene and ends with the music; and what keeps it from playing is said on the page.
// The fixture is the shipped show's data (its shaders, lyric images and photo) with a short
// test tone as its music.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rules/LyricLayers.h"
#include "tests/support/Browser.h"
#include "tests/support/Image.h"
#include "tests/support/Process.h"
#include "tests/support/StaticServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"
#include "tests/support/TestMusic.h"
#include "tools/lib/gl/MusicFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 480;
constexpr int kHeight = 270;
// Long enough to hold the photo scene from 45 s and to end soon after.
constexpr double kMusicSeconds = 54.0;

const std::string kStatus = "window.sovane05Page";
// The play control shows again, out of full screen.
const std::string kControlBack = "!document.getElementById('play').hidden && document.fullscreenElement === null";

std::string momentText(double moment)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", moment);
    return text;
}

// The shipped show's data with a short tone for music, made into a site.
struct WebFixture {
    WebFixture()
    {
        fs::create_directories(data);
        fs::copy(fs::path(SOVANE05_SOURCE_DIR) / "data", data, fs::copy_options::recursive);
        fs::copy_file(testMusic(kMusicSeconds), data / "ywsf.mp3", fs::copy_options::overwrite_existing);
        ProcessResult web = runProcess({SOVANE05_WEB_TOOL, "--data", data.string(), "--output", site.string()}, {},
                                       folder.path(), 120.0);
        EXPECT_EQ(web.exitStatus, 0) << web.err;
    }

    // sovane05-render's still of `moment` at the page's size.
    Image rendered(double moment) const
    {
        fs::path still = folder / ("render-" + momentText(moment) + ".png");
        ProcessResult render = runProcess({SOVANE05_RENDER_TOOL, "--data", data.string(), "--at", momentText(moment),
                                           "-o", still.string(), "--size", std::to_string(kWidth) + "x" +
                                           std::to_string(kHeight), "--force"},
                                          {}, folder.path(), 120.0);
        EXPECT_EQ(render.exitStatus, 0) << render.err;
        return loadImage(still.string());
    }

    TempDir folder;
    fs::path data = folder / "show/data";
    fs::path site = folder / "site";
};

// The first moment, at least 0.2 s inside a span of the lyrics scene, where exactly `lines`
// lines show, from the fixture's timing file.
double momentWithLines(const fs::path& data, int lines)
{
    double lineStart[kLyricLineCount] = {};
    double lineEnd[kLyricLineCount] = {};
    readTimingFile((data / "texttiming.txt").c_str(), lineStart, lineEnd);
    std::vector<double> edges = lyricWindowEdges(lineStart, lineEnd);
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        double moment = std::round((edges[i] + edges[i + 1]) / 2 * 1000) / 1000;
        int shown = 0;
        forEachActiveLine(lineStart, lineEnd, moment, [&](int, float) { ++shown; });
        if (shown == lines && edges[i + 1] - edges[i] > 0.4)
            return moment;
    }
    ADD_FAILURE() << "the timing file has no moment with " << lines << " lines";
    return 0.0;
}

// The two frames agree within a few levels on average, and hardly a pixel differs by more than
// a quarter of the range: a line missing or out of place would change whole letters.
void expectSameFrame(const Image& page, const Image& rendered, double meanTolerance, const std::string& name)
{
    ASSERT_EQ(page.width, rendered.width) << name;
    ASSERT_EQ(page.height, rendered.height) << name;
    size_t farOff = 0;
    for (size_t i = 0; i < page.pixels.size(); i += 4) {
        for (size_t channel = 0; channel < 3; ++channel) {
            if (std::abs(int(page.pixels[i + channel]) - int(rendered.pixels[i + channel])) > 64) {
                ++farOff;
                break;
            }
        }
    }
    EXPECT_TRUE(imagesMatch(page, rendered, 255, meanTolerance, name));
    EXPECT_LE(double(farOff) / (page.pixels.size() / 4), 0.002) << name << ": " << farOff << " pixels far off";
}

// Opens the page at `moment` and waits for its still.
void openPaused(Browser& browser, const StaticServer& server, const std::string& moment)
{
    browser.open(server.url("index.html#t=" + moment));
    std::string still = kStatus + " && " + kStatus + ".state === 'paused' && " + kStatus + ".moment === " + moment;
    ASSERT_TRUE(browser.waitFor(still, 120.0))
        << browser.evaluate(kStatus) << browser.failure;
}

bool skipWithoutPage()
{
    return std::string_view(SOVANE05_PAGE_DIR).empty();
}

}  // namespace

TEST(WebPage, StillsMatchTheRenderersFramesOfTheSameMoments)
{
    if (skipWithoutPage())
        GTEST_SKIP() << "built without Emscripten: no page";
    WebFixture fixture;
    StaticServer server(fixture.site);
    Browser browser;
    ASSERT_EQ(browser.failure, "");
    browser.setViewport(kWidth, kHeight);

    struct Moment {
        std::string what;
        double moment;
    };
    const Moment moments[] = {
        {"one-line", momentWithLines(fixture.data, 1)},
        {"two-lines", momentWithLines(fixture.data, 2)},
        {"photo", 46.5},
    };
    for (const Moment& m : moments) {
        // The first moment loads the page; the others are reached by the address alone.
        openPaused(browser, server, momentText(m.moment));
        browser.evaluate("document.getElementById('cover').style.visibility = 'hidden'");
        Image page = browser.screenshot("web-page-" + m.what);
        expectSameFrame(page, fixture.rendered(m.moment), 2.5, "web-page-" + m.what);
        browser.evaluate("document.getElementById('cover').style.visibility = ''");
    }
    for (const std::string& missing : server.notFound())
        EXPECT_EQ(missing, "favicon.ico") << "the page asked for a file the site does not have";
}

TEST(WebPage, PlaysFromAMomentStopsOnEscapeAndEndsWithTheMusic)
{
    if (skipWithoutPage())
        GTEST_SKIP() << "built without Emscripten: no page";
    WebFixture fixture;
    std::string why;
    std::optional<DecodedMusic> music = decodeMusic(fixture.data / "ywsf.mp3", why);
    ASSERT_TRUE(music) << why;
    StaticServer server(fixture.site);
    Browser browser({"--autoplay-policy=no-user-gesture-required"});
    ASSERT_EQ(browser.failure, "");
    browser.setViewport(kWidth, kHeight);
    openPaused(browser, server, "44");

    auto clickPlay = [&] {
        std::string centre = browser.evaluate(
            "(r => [r.x + r.width / 2, r.y + r.height / 2])(document.getElementById('play').getBoundingClientRect())");
        double x = 0, y = 0;
        ASSERT_EQ(std::sscanf(centre.c_str(), "[%lf,%lf]", &x, &y), 2) << centre;
        browser.click(x, y);
    };
    clickPlay();
    ASSERT_TRUE(browser.waitFor(kStatus + ".state === 'playing' && " + kStatus + ".moment > 44.3", 60.0))
        << browser.evaluate(kStatus);
    EXPECT_EQ(browser.evaluate("document.fullscreenElement === document.getElementById('stage')"), "true");
    browser.command("Input.dispatchKeyEvent", "{\"type\":\"keyDown\",\"key\":\"Escape\",\"code\":\"Escape\","
                                              "\"windowsVirtualKeyCode\":27}");
    ASSERT_TRUE(browser.waitFor(kStatus + ".state === 'paused'", 30.0)) << browser.evaluate(kStatus);
    double stoppedAt = std::stod(browser.evaluate(kStatus + ".moment"));
    EXPECT_GT(stoppedAt, 44.3) << "Escape wound the show back";
    EXPECT_EQ(browser.evaluate(kControlBack), "true");

    // Played again from where it stopped, through the photo scene to the end of the music, at
    // once: the full screen left by Escape may still be on its way out.
    clickPlay();
    ASSERT_TRUE(browser.waitFor(kStatus + ".state === 'playing' && " + kStatus + ".moment > 46.2", 60.0))
        << browser.evaluate(kStatus);
    double before = std::stod(browser.evaluate(kStatus + ".moment"));
    Image photo = browser.screenshot("web-page-playing-photo");
    std::string after = browser.evaluate(kStatus + ".state + ' ' + " + kStatus + ".moment");
    // The frame shot lies between the two moments read, or after the first when the music
    // ended in between; the photo scene changes little in that time.
    double shownAt = after.starts_with("\"playing ") ? std::stod(after.substr(9)) : before;

    ASSERT_TRUE(browser.waitFor(kStatus + ".state === 'paused'", 60.0)) << browser.evaluate(kStatus);
    // The last frame played lies within a frame or two of the music's end, however slow the
    // frames come on a busy machine.
    double played = std::stod(browser.evaluate(kStatus + ".played"));
    EXPECT_GT(played, music->seconds() - 1.0) << "stopped before the music ended at " << music->seconds();
    EXPECT_LE(played, music->seconds() + 0.1);
    EXPECT_EQ(browser.evaluate(kStatus + ".moment"), "0") << "the end did not wind the show back to its start";
    EXPECT_EQ(browser.evaluate(kControlBack), "true");
    expectSameFrame(photo, fixture.rendered(shownAt), 6.0, "web-page-playing-photo");
}

TEST(WebPage, SaysWhatKeepsItFromPlaying)
{
    if (skipWithoutPage())
        GTEST_SKIP() << "built without Emscripten: no page";
    WebFixture fixture;
    struct Case {
        std::string what;
        std::function<void(const fs::path& site)> change;
        std::vector<std::string> browserArguments;
        bool asFile;
        std::string state;
        std::string shown;  // in the message, or for a page that plays, in the show's reports
    };
    const Case cases[] = {
        {"a file the server does not have", [](const fs::path& site) { fs::remove(site / "data/lyrics/010.png"); },
         {}, false, "failed", "data/lyrics/010.png: could not be loaded (404 Not Found)"},
        {"a name the configuration lacks",
         [](const fs::path& site) {
             std::string config = readFile(site / "data/config.txt");
             config.replace(config.find("Shader white"), 12, "Shader other");
             writeFile(site / "data/config.txt", config);
         },
         {}, false, "failed", "data/config.txt: no shader program named \\\"white\\\""},
        {"a program WebGL 2 cannot run",
         [](const fs::path& site) {
             std::string fragment = readFile(site / "data/white.frag");
             fragment.replace(fragment.find("#version 410 core"), 17, "#version 120");
             writeFile(site / "data/white.frag", fragment);
         },
         {}, false, "paused", "cannot run in WebGL 2: line 8: '#version 120'"},
        // Wider than SwiftShader's textures (8192), not than every desktop context's (16384).
        {"a photo wider than the browser's textures",
         [](const fs::path& site) {
             writeTestPng(site / "data/photo.png", 9000, 2, 3, std::vector<uint8_t>(9000 * 2 * 3, 200));
         },
         {}, false, "paused", "data/photo.png: the image claims 9000x2 pixels, wider or taller than the"},
        {"no WebGL", [](const fs::path&) {}, {"--disable-3d-apis"}, false, "failed", "WebGL 2"},
        {"opened as a file", [](const fs::path&) {}, {}, true, "failed", "web server"},
    };
    for (const Case& c : cases) {
        TempDir copy;
        fs::copy(fixture.site, copy / "site", fs::copy_options::recursive);
        c.change(copy / "site");
        StaticServer server(copy / "site");
        Browser browser(c.browserArguments);
        ASSERT_EQ(browser.failure, "") << c.what;
        browser.setViewport(kWidth, kHeight);
        browser.open(c.asFile ? "file://" + (copy / "site/index.html").string() : server.url("index.html"));
        EXPECT_TRUE(browser.waitFor(kStatus + " && " + kStatus + ".state === '" + c.state + "'", 120.0))
            << c.what << ": " << browser.evaluate(kStatus);
        std::string shown = browser.evaluate(c.state == "failed" ? kStatus + ".message"
                                                                 : "document.querySelector('#reports pre').textContent");
        EXPECT_NE(shown.find(c.shown), std::string::npos) << c.what << ": " << shown;
        EXPECT_EQ(browser.evaluate("document.getElementById('message').hidden"), c.state == "failed" ? "false" : "true")
            << c.what;
        browser.screenshot("web-page-says-" + c.what);
    }
}
