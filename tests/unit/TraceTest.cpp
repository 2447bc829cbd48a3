// Reading `apitrace dump` text into calls, as the end-to-end tests rely on it: strings that span
// lines, the replayer's fake calls, lists, attribute lists and frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Trace.h"

namespace {

// Shaped like real `apitrace dump --color=never` output of a GLX program.
const char* const kDump = R"(// process.name = "/work/main/build/sovane05"
49 glXCreateContextAttribsARB(dpy = 0x5625, config = 0x5625, share_context = NULL, direct = True, attrib_list = {GLX_CONTEXT_MAJOR_VERSION_ARB, 4, GLX_CONTEXT_MINOR_VERSION_ARB, 1, GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_CORE_PROFILE_BIT_ARB, 0}) = 0x5625817
50 glXMakeCurrent(dpy = 0x5625, drawable = 4194310, ctx = 0x5625817) = True
51 glViewport(x = 0, y = 0, width = 1920, height = 1080) // fake
3275 glShaderSource(shader = 1, count = 1, string = &"#version 410
uniform vec4 c; // \"quoted\", (paren) {brace}
12 glViewport(x = 1, y = 2)
", length = NULL)
3276 glUniform4fv(location = 0, count = 1, value = {0.5, 1, -2.25, 3})
3277 glBindTexture(target = GL_TEXTURE_2D, texture = 7)
3278 glXSwapBuffers(dpy = 0x5625, drawable = 4194310)

3279 glGetString(name = GL_VENDOR) = "Mesa, // not a note"
3280 glBindTexture(target = GL_TEXTURE_2D, texture = 8)
3281 glXSwapBuffers(dpy = 0x5625, drawable = 4194310)

3282 glFlush()
)";

std::vector<std::string> names(const Trace& trace)
{
    std::vector<std::string> result;
    for (const TraceCall& call : trace.calls)
        result.push_back(call.name);
    return result;
}

}  // namespace

TEST(TraceDump, ReadsEachCallOnceLeavingOutTheReplayersFakeCalls)
{
    Trace trace(kDump);
    std::vector<std::string> expected = {"glXCreateContextAttribsARB", "glXMakeCurrent", "glShaderSource",
                                         "glUniform4fv",  "glBindTexture",  "glXSwapBuffers",
                                         "glGetString",   "glBindTexture",  "glXSwapBuffers",
                                         "glFlush"};
    EXPECT_EQ(names(trace), expected);
    EXPECT_EQ(trace.count({"glViewport"}), 0u) << "the fake call and the line inside the string are not calls";
    ASSERT_FALSE(trace.calls.empty());
    EXPECT_EQ(trace.calls.front().number, 49);
    EXPECT_EQ(trace.calls.back().number, 3282);
    EXPECT_TRUE(trace.calls.back().arguments.empty());
}

TEST(TraceDump, KeepsArgumentsAndResultsWhole)
{
    Trace trace(kDump);
    struct Case {
        size_t call;
        const char* argument;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {2, "string", "&\"#version 410\nuniform vec4 c; // \\\"quoted\\\", (paren) {brace}\n12 glViewport(x = 1, y = 2)\n\""},
        {2, "length", "NULL"},
        {3, "value", "{0.5, 1, -2.25, 3}"},
        {4, "texture", "7"},
        {4, "level", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trace.calls.at(c.call).argument(c.argument), c.value) << c.argument << " of " << trace.calls.at(c.call);

    EXPECT_EQ(trace.calls.at(0).result, "0x5625817");
    EXPECT_EQ(trace.calls.at(1).result, "True");
    EXPECT_EQ(trace.calls.at(6).result, "\"Mesa, // not a note\"");
    EXPECT_EQ(trace.calls.at(4).result, "");
}

TEST(TraceDump, FindsCallsByNameAndArgumentsInOrder)
{
    Trace trace(kDump);
    CallPattern firstBind{"glBindTexture", {{"texture", "7"}}};
    CallPattern secondBind{"glBindTexture", {{"target", "GL_TEXTURE_2D"}, {"texture", "8"}}};
    CallPattern swap{"glXSwapBuffers"};

    EXPECT_EQ(trace.find(firstBind), 4u);
    EXPECT_EQ(trace.find(secondBind), 7u);
    EXPECT_EQ(trace.find(firstBind, 5), std::nullopt);
    EXPECT_EQ(trace.findLast(swap), 8u);
    EXPECT_EQ(trace.findLast(swap, 8), 5u);
    EXPECT_EQ(trace.count(swap), 2u);
    EXPECT_EQ(trace.count({"glBindTexture", {{"texture", "9"}}}), 0u);

    EXPECT_EQ(trace.findInOrder({firstBind, swap, secondBind, swap}), (std::vector<size_t>{4, 5, 7, 8}));
    EXPECT_EQ(trace.findInOrder({secondBind, firstBind}).size(), 1u) << "stops at the pattern out of order";
}

TEST(TraceDump, SplitsListsAndAttributeLists)
{
    EXPECT_EQ(listItems("{0.5, 1, -2.25, 3}"), (std::vector<std::string>{"0.5", "1", "-2.25", "3"}));
    EXPECT_EQ(listItems("&{a = 1, b = {2, 3}, c = \"x, }\"}"),
              (std::vector<std::string>{"a = 1", "b = {2, 3}", "c = \"x, }\""}));
    EXPECT_EQ(listItems("{}"), std::vector<std::string>{});
    EXPECT_EQ(listItems("NULL"), std::vector<std::string>{});

    std::map<std::string, std::string> expected = {{"GLX_CONTEXT_MAJOR_VERSION_ARB", "4"},
                                                   {"GLX_CONTEXT_MINOR_VERSION_ARB", "1"},
                                                   {"GLX_CONTEXT_PROFILE_MASK_ARB", "GLX_CONTEXT_CORE_PROFILE_BIT_ARB"}};
    EXPECT_EQ(attributePairs(*Trace(kDump).calls.at(0).argument("attrib_list")), expected);
    EXPECT_EQ(attributePairs("{EGL_WIDTH, 64, EGL_NONE, EGL_HEIGHT, 32}"),
              (std::map<std::string, std::string>{{"EGL_WIDTH", "64"}}));
}

TEST(TraceDump, FramesEndWithTheirBufferSwap)
{
    Trace trace(kDump);
    auto frames = trace.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].size(), 6u);
    EXPECT_EQ(frames[0].front().name, "glXCreateContextAttribsARB");
    EXPECT_EQ(frames[1].size(), 3u);
    EXPECT_EQ(frames[1].front().name, "glGetString");
    EXPECT_TRUE(isBufferSwap(frames[1].back()));
}

TEST(TraceDump, TracerLinesAreLeftOutOfStandardError)
{
    std::string err = "apitrace: loaded into /usr/bin/apitrace\nsovane05: data/ywsf.mp3: cannot load\n"
                      "apitrace: warning: unknown function \"glFoo\"\nlast line without end";
    EXPECT_EQ(linesWithoutTracer(err),
              (std::vector<std::string>{"sovane05: data/ywsf.mp3: cannot load", "last line without end"}));
    EXPECT_EQ(linesWithoutTracer(""), std::vector<std::string>{});
}
