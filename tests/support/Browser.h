// Chromium for the browser tests and benchmarks: headless, WebGL 2 on SwiftShader (the only
// GPU here), a fresh profile each time and no traffic of its own, driven over the DevTools
// protocol on a pipe, so that it opens no network port.
//
//   Browser browser;                       // or Browser({"--autoplay-policy=..."})
//   ASSERT_EQ(browser.failure, "");
//   browser.setViewport(480, 270);
//   browser.open(server.url("index.html#t=41.5"));
//   browser.waitFor("window.sovane05Page && sovane05Page.state === 'paused'", 120);
//   Image frame = browser.screenshot("page-41.5");
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/Image.h"
#include "tests/support/TempDir.h"

class Browser {
public:
    explicit Browser(const std::vector<std::string>& extraArguments = {});
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Why the browser could not be started or driven, or "".
    std::string failure;

    // Sends one command to the page's session and returns its whole response, or "" when none
    // came in `seconds` (failure then says so).
    std::string command(const std::string& method, const std::string& params = "{}", double seconds = 120.0);

    // The page's size in CSS pixels, one device pixel each.
    void setViewport(int width, int height);
    void open(const std::string& url);
    // The value of a JavaScript expression, or of the promise it gives, as JSON text ("null"
    // when it has none), or "" when it threw.
    std::string evaluate(const std::string& expression);
    // Asks `condition` every tenth of a second until it is true; false after `seconds`.
    bool waitFor(const std::string& condition, double seconds);
    // A left click at a point of the page, as a person's: it lets a page play sound and go full
    // screen.
    void click(double x, double y);
    // The page as shown, saved in the test output folder as <name>.png too.
    Image screenshot(const std::string& name);

private:
    std::string receive(int id, double seconds);

    pid_t pid = -1;
    int toBrowser = -1;
    int fromBrowser = -1;
    int nextId = 0;
    std::string session;
    std::string pending;
    TempDir profile;
};

// The JSON string that follows the first "key": in `json`, decoded; nothing when there is none.
std::optional<std::string> jsonStringAfter(const std::string& json, const std::string& key);
