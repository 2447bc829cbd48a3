// Which scenes draw at a moment, in what order and with what time; and the show clock.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/Demo.h"
#include "engine/Scene.h"
#include "engine/SceneDispatch.h"
#include "engine/ShowClock.h"

namespace {

struct Call {
    std::string scene;
    double time;
    bool operator==(const Call&) const = default;
};

class RecordingScene : public cg_engine::Scene {
public:
    RecordingScene(std::string sceneName, double start, double end, std::vector<Call>& record)
        : name(std::move(sceneName)), calls(record)
    {
        startTime = start;
        endTime = end;
    }
    void render(double time) override { calls.push_back({name, time}); }

    std::string name;
    std::vector<Call>& calls;
};

class TestDemo : public cg_engine::Demo {
public:
    TestDemo() : cg_engine::Demo(1920, 1080) {}
    void initialise() override {}
};

// Appends another scene while it renders, to show that the list's length is read each step.
class AppendingScene : public cg_engine::Scene {
public:
    AppendingScene(cg_engine::Demo& into, cg_engine::Scene& appended) : demo(into), next(appended) { endTime = 10.0; }
    void render(double) override { demo.scenes.push_back(&next); }

    cg_engine::Demo& demo;
    cg_engine::Scene& next;
};

std::vector<Call> dispatchAt(cg_engine::Demo& demo, double time, std::vector<Call>& calls)
{
    calls.clear();
    cg_engine::renderActiveScenes(demo, time);
    return calls;
}

}  // namespace

TEST(SceneDispatch, ShowWindowsExcludeTheirBounds)
{
    std::vector<Call> calls;
    TestDemo demo;
    RecordingScene lyrics("lyrics", 0.0, 45.0, calls);
    RecordingScene photo("photo", 45.0, 58.0, calls);
    demo.scenes = {&lyrics, &photo};

    struct Case {
        double time;
        std::vector<Call> expected;
    };
    const Case cases[] = {
        {0.0, {}},
        {0.001, {{"lyrics", 0.001}}},
        {12.3, {{"lyrics", 12.3}}},
        {44.999, {{"lyrics", 44.999}}},
        {45.0, {}},
        {45.001, {{"photo", 45.001}}},
        {57.999, {{"photo", 57.999}}},
        {58.0, {}},
        {61.0, {}},
        {-1.0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dispatchAt(demo, c.time, calls), c.expected) << "at t = " << c.time;
}

TEST(SceneDispatch, OverlappingScenesDrawInListOrderWithOneTime)
{
    std::vector<Call> calls;
    TestDemo demo;
    RecordingScene late("late", 5.0, 20.0, calls);
    RecordingScene early("early", 0.0, 10.0, calls);
    RecordingScene unset("unset", 0.0, 0.0, calls);
    RecordingScene inverted("inverted", 9.0, 3.0, calls);
    demo.scenes = {&late, &unset, &early, &inverted};

    EXPECT_EQ(dispatchAt(demo, 7.5, calls), (std::vector<Call>{{"late", 7.5}, {"early", 7.5}}));
    EXPECT_EQ(dispatchAt(demo, 0.0, calls), std::vector<Call>{});
    EXPECT_EQ(dispatchAt(demo, 5.0, calls), (std::vector<Call>{{"early", 5.0}}));
}

TEST(SceneDispatch, EmptyListDrawsNothingAndGrowingListIsFollowed)
{
    std::vector<Call> calls;
    TestDemo demo;
    EXPECT_EQ(dispatchAt(demo, 1.0, calls), std::vector<Call>{});

    RecordingScene appended("appended", 0.0, 10.0, calls);
    AppendingScene appender(demo, appended);
    demo.scenes = {&appender};
    EXPECT_EQ(dispatchAt(demo, 1.0, calls), (std::vector<Call>{{"appended", 1.0}}));
}

TEST(SceneDispatch, AfterTheLastWindowAChosenMomentShowsThatWindowsLastMoment)
{
    std::vector<Call> calls;
    TestDemo stock;
    RecordingScene lyrics("lyrics", 0.0, 45.0, calls);
    RecordingScene photo("photo", 45.0, 58.0, calls);
    stock.scenes = {&lyrics, &photo};

    // A list that leaves gaps, ends with a scene that is not the one ending last, and holds
    // windows that never open.
    TestDemo listed;
    RecordingScene first("first", 0.0, 10.0, calls);
    RecordingScene last("last", 25.0, 30.0, calls);
    RecordingScene middle("middle", 12.0, 20.0, calls);
    RecordingScene empty("empty", 40.0, 40.0, calls);
    RecordingScene inverted("inverted", 50.0, 45.0, calls);
    listed.scenes = {&first, &last, &middle, &empty, &inverted};

    TestDemo none;
    const double beforeStockEnd = std::nextafter(58.0, 0.0);
    const double beforeListEnd = std::nextafter(30.0, 0.0);
    struct Case {
        TestDemo* demo;
        double time;
        double shown;
        std::vector<Call> drawn;
    };
    const Case cases[] = {
        {&stock, 12.3, 12.3, {{"lyrics", 12.3}}},
        {&stock, 45.0, 45.0, {}},
        {&stock, 57.9, 57.9, {{"photo", 57.9}}},
        {&stock, 58.0, beforeStockEnd, {{"photo", beforeStockEnd}}},
        {&stock, 183.0, beforeStockEnd, {{"photo", beforeStockEnd}}},
        {&listed, 11.0, 11.0, {}},
        {&listed, 22.5, 22.5, {}},
        {&listed, 25.0, 25.0, {}},
        {&listed, 30.0, beforeListEnd, {{"last", beforeListEnd}}},
        {&listed, 47.0, beforeListEnd, {{"last", beforeListEnd}}},
        {&none, 5.0, 5.0, {}},
    };
    for (const Case& c : cases) {
        double shown = cg_engine::shownMoment(*c.demo, c.time);
        EXPECT_EQ(shown, c.shown) << "at t = " << c.time;
        EXPECT_EQ(dispatchAt(*c.demo, shown, calls), c.drawn) << "at t = " << c.time;
    }
}

TEST(ShowClock, SecondsFromTicks)
{
    struct Case {
        uint32_t now;
        double start;
        double expected;
    };
    const Case cases[] = {
        {1000, 1000.0, 0.0},
        {1001, 1000.0, 0.001},
        {46000, 1000.0, 45.0},
        {12300, 0.0, 12.3},
        // Near the top of the 32-bit tick range the difference is still exact in double.
        {4294967295u, 4294967295.0 - 45000.0, 45.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(cg_engine::showTime(c.now, c.start), c.expected) << c.now << " - " << c.start;

    // The frame whose tick difference is exactly 45 000 ms is on the boundary of both windows.
    double boundary = cg_engine::showTime(47000, 2000.0);
    EXPECT_FALSE(cg_engine::isActiveAt(0.0, 45.0, boundary));
    EXPECT_FALSE(cg_engine::isActiveAt(45.0, 58.0, boundary));
}
