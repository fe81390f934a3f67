// The arithmetic of the frame loop's clock: how long a frame waits for its turn, and the
// milliseconds an update is given.
#pragma once

#include <chrono>
#include <cstdint>

namespace spinvale {

// No update is given more than this: a stall or time spent minimised would otherwise reach
// the match as one step long enough to carry the ball through the table.
constexpr uint32_t maxUpdateMs = 100;

// Microseconds still to wait before the next frame may start, when the previous frame
// started sinceLastStartUs ago; frames start at least 1/maxFps seconds apart (0: no limit).
int64_t frameWaitMicros(int64_t sinceLastStartUs, int maxFps);

// The 32-bit millisecond tick at a time of the steady clock. Frames are paced and timed by
// the same clock, so the limit between frame starts shows in the elapsed times as well.
uint32_t millisecondTick(std::chrono::steady_clock::time_point time);

// Milliseconds between two readings of the 32-bit millisecond tick, across its wrap-around.
uint32_t ticksBetween(uint32_t earlier, uint32_t later);

// The elapsed time an update receives.
uint32_t clampUpdateMs(uint32_t elapsedMs);

}  // namespace spinvale
