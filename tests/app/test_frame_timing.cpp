#include <gtest/gtest.h>

#include <tuple>

#include "frame_timing.h"

namespace spinvale {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

SteadyTime at(int64_t us) {
    return SteadyTime(microseconds(us));
}

int64_t us(SteadyTime::duration d) {
    return std::chrono::duration_cast<microseconds>(d).count();
}

FrameSchedule sixtyASecondStartedAt(int64_t startUs) {
    FrameSchedule schedule{framePeriod(60, false, 0)};
    EXPECT_EQ(timeUntilDue(schedule, at(startUs)).count(), 0) << "the first frame never waits";
    EXPECT_EQ(startFrame(schedule, at(startUs)), at(startUs));
    return schedule;
}

TEST(FramePeriod, TheClockPacesUnlessTheSwapAlreadyWaitsForAFastEnoughDisplay) {
    // The limit, the swap waiting for the display, its refresh rate (0: unknown), the period.
    // 1000000 / 60 = 16666.67 microseconds, rounded up so the limit is never exceeded; a
    // display reported at 59 Hz runs at 59.94, one faster than the limit lets the clock pace.
    const std::tuple<int, bool, int, int64_t> cases[] = {
        {60, false, 0, 16667},  {1, false, 0, 1000000}, {1000, false, 0, 1000},
        {0, false, 0, 0},       {60, true, 60, 0},      {60, true, 59, 0},
        {60, true, 61, 0},      {1000, true, 144, 0},   {60, true, 58, 16667},
        {60, true, 62, 16667},  {60, true, 0, 16667},   {60, true, 50, 16667},
        {60, true, 144, 16667}, {20, true, 60, 50000}};
    for (const auto& [maxFps, vsync, refreshHz, period] : cases) {
        EXPECT_EQ(framePeriod(maxFps, vsync, refreshHz).count(), period)
            << maxFps << (vsync ? " vsync " : " ") << refreshHz;
    }
}

TEST(FrameSchedule, FramesAreDueAPeriodAfterTheFrameBeforeWasDue) {
    FrameSchedule schedule = sixtyASecondStartedAt(1000);
    EXPECT_EQ(us(timeUntilDue(schedule, at(1000))), 16667);
    EXPECT_EQ(us(timeUntilDue(schedule, at(17666))), 1);
    EXPECT_EQ(startFrame(schedule, at(17667)), at(17667));
    // Woken 80 microseconds late: the frame stands for its due time, and the one after it
    // is due no later for it.
    EXPECT_EQ(startFrame(schedule, at(34414)), at(34334));
    EXPECT_EQ(us(timeUntilDue(schedule, at(34414))), 51001 - 34414);
}

TEST(FrameSchedule, ALateFrameKeepsTheScheduleAndAVeryLateOneRestartsIt) {
    FrameSchedule schedule = sixtyASecondStartedAt(0);
    // 10 ms late: the next frame is due 6.667 ms after this one starts.
    EXPECT_EQ(startFrame(schedule, at(26667)), at(16667));
    EXPECT_EQ(us(timeUntilDue(schedule, at(26667))), 6667);
    // Exactly a period late still keeps the schedule, one frame running straight after.
    EXPECT_EQ(startFrame(schedule, at(50001)), at(33334));
    EXPECT_LE(timeUntilDue(schedule, at(50001)).count(), 0);
    // Over a period late: the schedule starts again from now, with no burst of frames.
    EXPECT_EQ(startFrame(schedule, at(90000)), at(90000));
    EXPECT_EQ(us(timeUntilDue(schedule, at(90000))), 16667);
    EXPECT_EQ(startFrame(schedule, at(106667)), at(106667));
}

TEST(FrameSchedule, WithoutALimitEveryFrameStandsForItsOwnStart) {
    FrameSchedule schedule{framePeriod(0, false, 0)};
    for (const int64_t start : {5, 6, 300, 301}) {
        EXPECT_LE(timeUntilDue(schedule, at(start)).count(), 0);
        EXPECT_EQ(startFrame(schedule, at(start)), at(start));
    }
}

// Worked values at the edges: the wrap of the 32-bit tick, and the 100 ms cap on an update.
TEST(ElapsedTime, TicksAreWholeMillisecondsCountedAcrossTheWrapAndUpdatesGetAtMost100) {
    EXPECT_EQ(millisecondTick(at(5999)), 5u);
    EXPECT_EQ(millisecondTick(SteadyTime(milliseconds(0x100000005))), 5u);
    EXPECT_EQ(ticksBetween(0xfffffff0u, 0x10u), 32u);
    EXPECT_EQ(ticksBetween(5, 5), 0u);
    EXPECT_EQ(clampUpdateMs(17), 17u);
    EXPECT_EQ(clampUpdateMs(100), 100u);
    EXPECT_EQ(clampUpdateMs(101), 100u);
    EXPECT_EQ(clampUpdateMs(ticksBetween(1000, 61000)), 100u) << "a minute minimised";
}

}  // namespace
}  // namespace spinvale
