// The arithmetic of the frame loop's clock: when each frame is due, which of the clock and
// the display's swap paces the frames, and the milliseconds an update is given.
#pragma once

#include <chrono>
#include <cstdint>

namespace spinvale {

using SteadyTime = std::chrono::steady_clock::time_point;

// No update is given more than this: a stall or time spent minimised would otherwise reach
// the match as one step long enough to carry the ball through the table.
constexpr uint32_t maxUpdateMs = 100;

// Each frame is due one period after the frame before it was due, so a frame that starts a
// little late does not push the frames after it back, and the rate holds over any span.
struct FrameSchedule {
    std::chrono::microseconds period{0};  // 0: frames run back to back
    SteadyTime due{};                     // of the next frame
    bool started = false;                 // a frame has run on this schedule
};

// The clock's period between frames at most maxFps a second (0: no limit), rounded up so
// that the limit is never exceeded. None when the display's swap already waits for each of
// its refreshes (vsync granted) and those come no faster than the limit allows: sleeping
// as well would only make the two beat against each other.
std::chrono::microseconds framePeriod(int maxFps, bool vsync, int refreshHz);

// How long before the next frame is due; zero or less: it is due now.
SteadyTime::duration timeUntilDue(const FrameSchedule& schedule, SteadyTime now);

// Starts a frame at now and returns the time it stands for: its due time, or now when
// there is no schedule yet or the frame is over a period late. Such a frame starts the
// schedule afresh from now, rather than a burst of frames catching up.
SteadyTime startFrame(FrameSchedule& schedule, SteadyTime now);

// The 32-bit millisecond tick at a time of the steady clock. Frames are paced and timed by
// the same clock, so the period between frames shows in the elapsed times as well.
uint32_t millisecondTick(SteadyTime time);

// Milliseconds between two readings of the 32-bit millisecond tick, across its wrap-around.
uint32_t ticksBetween(uint32_t earlier, uint32_t later);

// The elapsed time an update receives.
uint32_t clampUpdateMs(uint32_t elapsedMs);

}  // namespace spinvale
