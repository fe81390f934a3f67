#include <gtest/gtest.h>

#include "frame_timing.h"

namespace spinvale {
namespace {

TEST(FramePacing, SixtyFramesASecondStartNoCloserThanASixtiethOfASecond) {
    // 1000000 / 60 = 16666.67 microseconds, rounded up so the limit is never exceeded.
    EXPECT_EQ(frameWaitMicros(0, 60), 16667);
    EXPECT_EQ(frameWaitMicros(5000, 60), 11667);
    EXPECT_EQ(frameWaitMicros(16666, 60), 1);
    EXPECT_EQ(frameWaitMicros(16667, 60), 0);
    EXPECT_EQ(frameWaitMicros(40000, 60), 0) << "a late frame starts at once, with no catching up";
}

TEST(FramePacing, OtherLimitsAndNoLimit) {
    EXPECT_EQ(frameWaitMicros(0, 1), 1000000);
    EXPECT_EQ(frameWaitMicros(2000, 250), 2000);
    EXPECT_EQ(frameWaitMicros(0, 1000), 1000);
    EXPECT_EQ(frameWaitMicros(0, 0), 0);
    EXPECT_EQ(frameWaitMicros(-5, 0), 0);
}

TEST(FramePacing, TheFirstFrameOfARunNeverWaits) {
    // The previous start of a run's first frame is the clock's epoch, long ago.
    EXPECT_EQ(frameWaitMicros(int64_t(1) << 50, 60), 0);
}

TEST(ElapsedTime, TheTickCountsWholeMillisecondsOfTheSteadyClock) {
    using std::chrono::microseconds;
    const std::chrono::steady_clock::time_point start{microseconds(5999)};
    EXPECT_EQ(millisecondTick(start), 5u);
    // Frame starts 16667 microseconds apart are at least 16 ticks apart, wherever they fall.
    for (int64_t offset = 0; offset < 1000; offset += 37) {
        const std::chrono::steady_clock::time_point first{microseconds(offset)};
        EXPECT_GE(ticksBetween(millisecondTick(first),
                               millisecondTick(first + microseconds(frameWaitMicros(0, 60)))),
                  16u);
    }
    const std::chrono::steady_clock::time_point late{std::chrono::milliseconds(0x100000005)};
    EXPECT_EQ(millisecondTick(late), 5u) << "the tick wraps around after 2^32 ms";
}

TEST(ElapsedTime, TicksAreCountedAcrossTheWrapAround) {
    EXPECT_EQ(ticksBetween(1000, 1017), 17u);
    EXPECT_EQ(ticksBetween(0xfffffff0u, 0x10u), 32u);
    EXPECT_EQ(ticksBetween(0xffffffffu, 0u), 1u);
    EXPECT_EQ(ticksBetween(5, 5), 0u);
}

TEST(ElapsedTime, UpdatesReceiveAtMostAHundredMilliseconds) {
    EXPECT_EQ(clampUpdateMs(0), 0u);
    EXPECT_EQ(clampUpdateMs(17), 17u);
    EXPECT_EQ(clampUpdateMs(100), 100u);
    EXPECT_EQ(clampUpdateMs(101), 100u);
    EXPECT_EQ(clampUpdateMs(ticksBetween(1000, 61000)), 100u) << "a minute minimised";
    EXPECT_EQ(clampUpdateMs(0xffffffffu), 100u);
}

}  // namespace
}  // namespace spinvale
