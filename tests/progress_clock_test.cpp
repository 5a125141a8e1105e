#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "job/progress_clock.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

using test::FakeClock;
using test::FakeHost;

UnitPosition analysisUnit(int pass, int passCount, int voice, std::int32_t frame, std::int32_t frameCount)
{
    return {Phase::Analysis, pass, passCount, voice, frame, frameCount};
}

UnitPosition levelUnit(int voice, std::int32_t frame, std::int32_t frameCount)
{
    return {Phase::Levels, 0, 1, voice, frame, frameCount};
}

// A clock at tick 0 whose phase has just begun, with the progress window open.
class ProgressClockTest : public ::testing::Test {
protected:
    ProgressClockTest() : host(state), progress(state, host, clock)
    {
        EXPECT_TRUE(progress.readFrequency());
        state.progressWindow = true;
        progress.restartPhase();
    }

    // One frame unit that lasts `micros` and ends at tick `endTick`.
    bool unit(const UnitPosition& at, std::int64_t micros, std::int32_t endTick)
    {
        progress.startUnit();
        clock.now += micros;
        clock.tickNow = endTick;
        return progress.finishUnit(at);
    }

    JobState state;
    FakeClock clock;
    FakeHost host;
    ProgressClock progress;
};

TEST_F(ProgressClockTest, ChecksOnlyAfterMoreThanAHundredTicks)
{
    const UnitPosition at = analysisUnit(0, 1, 0, 0, 100);
    EXPECT_TRUE(unit(at, 1000, 50));
    EXPECT_TRUE(unit(at, 1000, 100));
    EXPECT_EQ(host.pumps, 0) << "no check within the first 100 ticks of a phase";
    EXPECT_EQ(host.refreshed, 0);

    EXPECT_TRUE(unit(at, 1000, 101));
    EXPECT_EQ(host.pumps, 1);
    EXPECT_EQ(host.refreshed, 1);

    // The interval counts from the last check.
    EXPECT_TRUE(unit(at, 1000, 201));
    EXPECT_EQ(host.pumps, 1);
    EXPECT_TRUE(unit(at, 1000, 202));
    EXPECT_EQ(host.pumps, 2);

    // A new phase starts the interval again.
    clock.tickNow = 1000;
    progress.restartPhase();
    EXPECT_TRUE(unit(levelUnit(0, 0, 100), 1000, 1100));
    EXPECT_EQ(host.pumps, 2);
}

TEST_F(ProgressClockTest, SlowUnitsAreCheckedAfterEveryUnit)
{
    int units = 0;
    std::int32_t tick = 0;
    for (int v = 0; v < 6; ++v)
        for (std::int32_t f = 0; f < 3; ++f, ++units)
            EXPECT_TRUE(unit(analysisUnit(0, 1, v, f, 3), 150000, tick += 150));
    EXPECT_EQ(host.pumps, units);
    EXPECT_EQ(host.refreshed, units);
}

TEST_F(ProgressClockTest, TheNextCheckAfterThePumpCountsFromItsEnd)
{
    // A pump that took a second (a message box, a file dialog).
    host.onPump = [this](FakeHost&) { clock.tickNow += 1000; };
    const UnitPosition at = analysisUnit(0, 1, 0, 0, 100);
    EXPECT_TRUE(unit(at, 1000, 101));
    EXPECT_EQ(host.pumps, 1);
    EXPECT_TRUE(unit(at, 1000, 1201));
    EXPECT_EQ(host.pumps, 1);
    EXPECT_TRUE(unit(at, 1000, 1202));
    EXPECT_EQ(host.pumps, 2);
}

TEST_F(ProgressClockTest, CheckSurvivesTheTickCounterWrapping)
{
    clock.tickNow = std::numeric_limits<std::int32_t>::max() - 50;
    progress.restartPhase();
    const UnitPosition at = analysisUnit(0, 1, 0, 0, 100);
    EXPECT_TRUE(unit(at, 1000, std::numeric_limits<std::int32_t>::min() + 49)); // 100 ticks on
    EXPECT_EQ(host.pumps, 0);
    EXPECT_TRUE(unit(at, 1000, std::numeric_limits<std::int32_t>::min() + 50)); // 101 ticks on
    EXPECT_EQ(host.pumps, 1);
}

TEST(ProgressClockCount, RemainingUnitsOfBothPhases)
{
    struct Case {
        UnitPosition at;
        std::int64_t remaining;
    };
    const Case cases[] = {
        // The analysis count includes the unit just finished.
        {analysisUnit(0, 4, 0, 0, 10), 240}, // every unit of four passes
        {analysisUnit(1, 4, 2, 4, 10), 156}, // ((4-1-1)*6 + (6-1-2))*10 + (10-4)
        {analysisUnit(3, 4, 5, 9, 10), 1},  // the last one: one more unit still shown
        {analysisUnit(0, 1, 5, 0, 36001), 36001},
        // The level count does not.
        {levelUnit(0, 0, 10), 59},
        {levelUnit(2, 4, 10), 35},
        {levelUnit(5, 9, 10), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressClock::remainingUnits(c.at), c.remaining)
            << "pass " << c.at.pass << " voice " << c.at.voice << " frame " << c.at.frame;
}

TEST_F(ProgressClockTest, EstimateRoundsUpToWholeSeconds)
{
    struct Case {
        UnitPosition at;
        double seconds;
        const char* shown;
    };
    // Units of a quarter second.
    const Case cases[] = {
        {levelUnit(5, 6, 10), 1.749999, "1"},        // 3 units left
        {levelUnit(5, 4, 10), 2.249999, "2"},        // 5 units left
        {levelUnit(5, 9, 10), 0.999999, "0"},        // after the very last unit
        {analysisUnit(0, 1, 5, 9, 10), 1.249999, "1+a"}, // after the last analysis unit
    };
    std::int32_t tick = 0;
    for (const Case& c : cases) {
        state.firstPhase = c.at.phase == Phase::Analysis;
        host.progressTexts.clear();
        EXPECT_TRUE(unit(c.at, 250000, tick += 200));
        EXPECT_DOUBLE_EQ(progress.unitMicroseconds(), 250000.0);
        EXPECT_DOUBLE_EQ(state.remainingSeconds, c.seconds);
        ASSERT_EQ(host.progressTexts.size(), 1u);
        EXPECT_EQ(host.progressTexts[0], c.shown);
    }
}

TEST_F(ProgressClockTest, UnitTimeIsTruncatedToWholeMicrosecondsAndSharedInABatch)
{
    clock.frequency = 3; // a coarse counter: one count is 333333.33 microseconds
    ASSERT_TRUE(progress.readFrequency());
    progress.startUnit();
    clock.now += 1;
    progress.finishUnit(analysisUnit(0, 1, 0, 0, 10));
    EXPECT_DOUBLE_EQ(progress.unitMicroseconds(), 333333.0);

    clock.frequency = 1'000'000;
    ASSERT_TRUE(progress.readFrequency());
    progress.startUnit();
    clock.now += 1'000'000;
    progress.finishUnit(analysisUnit(0, 1, 0, 3, 10), 4);
    EXPECT_DOUBLE_EQ(progress.unitMicroseconds(), 250000.0);

    clock.frequency = 0;
    EXPECT_FALSE(progress.readFrequency()) << "no counter, no job";
}

TEST_F(ProgressClockTest, AbortIsHonouredAtTheNextCheckOnly)
{
    state.abortRequested = true;
    const UnitPosition at = analysisUnit(0, 1, 0, 0, 100);
    EXPECT_TRUE(unit(at, 1000, 100)) << "between checks nothing is looked at";
    EXPECT_FALSE(unit(at, 1000, 101));
    EXPECT_EQ(host.pumps, 0) << "an aborted job neither refreshes nor pumps";
    EXPECT_EQ(host.refreshed, 0);
}

TEST_F(ProgressClockTest, AbortRequestedInAPumpEndsTheJobAtTheFollowingCheck)
{
    host.onPump = [this](FakeHost& h) { requestAbort(state, h); };
    const UnitPosition at = analysisUnit(0, 1, 0, 0, 100);
    EXPECT_TRUE(unit(at, 1000, 101));
    EXPECT_FALSE(state.progressWindow);
    EXPECT_TRUE(unit(at, 1000, 150)) << "the job goes on until the next check";
    EXPECT_FALSE(unit(at, 1000, 202));
    EXPECT_EQ(host.destroyed, 1);
}

TEST_F(ProgressClockTest, RefreshComesBeforeThePumpAndOnlyWithAWindow)
{
    int refreshedAtPump = -1;
    double secondsAtPump = 0;
    host.onPump = [&](FakeHost& h) {
        refreshedAtPump = h.refreshed;
        secondsAtPump = state.remainingSeconds;
    };
    EXPECT_TRUE(unit(levelUnit(5, 6, 10), 250000, 101));
    EXPECT_EQ(refreshedAtPump, 1);
    EXPECT_DOUBLE_EQ(secondsAtPump, 1.749999);

    // Without a window (its creation failed, or it was closed) the check still pumps.
    state.progressWindow = false;
    EXPECT_TRUE(unit(levelUnit(5, 7, 10), 250000, 300));
    EXPECT_EQ(host.pumps, 2);
    EXPECT_EQ(host.refreshed, 1);
    EXPECT_DOUBLE_EQ(state.remainingSeconds, 1.499999);
}

TEST(ProgressText, BothFormsTruncateTheEstimate)
{
    struct Case {
        double seconds;
        bool firstPhase;
        const char* text;
    };
    const Case cases[] = {
        {125.999999, true, "残り時間約125＋α秒"},
        {9.5, false, "残り時間約9秒"},
        {1.749999, false, "残り時間約1秒"},
        {2.249999, true, "残り時間約2＋α秒"},
        {0.999999, false, "残り時間約0秒"},
        {-1.5, false, "残り時間約-1秒"},
        // Out of the 32-bit range: clamped, never undefined.
        {1e12, false, "残り時間約2147483647秒"},
        {std::nan(""), true, "残り時間約0＋α秒"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(progressText(c.seconds, c.firstPhase), c.text) << c.seconds;
}

} // namespace
} // namespace quillwave
