#include "frame_timing.h"

#include <algorithm>

namespace spinvale {

std::chrono::microseconds framePeriod(int maxFps, bool vsync, int refreshHz) {
    // A display reported at 59 Hz runs at 59.94: its swap keeps a limit of 60 as well.
    const bool swapPaces = vsync && refreshHz >= 59 && refreshHz <= maxFps + 1;
    if (maxFps <= 0 || swapPaces) {
        return std::chrono::microseconds(0);
    }
    return std::chrono::microseconds((1000000 + maxFps - 1) / maxFps);
}

SteadyTime::duration timeUntilDue(const FrameSchedule& schedule, SteadyTime now) {
    return schedule.started ? schedule.due - now : SteadyTime::duration(0);
}

SteadyTime startFrame(FrameSchedule& schedule, SteadyTime now) {
    if (!schedule.started || now - schedule.due > schedule.period) {
        schedule.due = now;
        schedule.started = true;
    }
    const SteadyTime frameTime = schedule.due;
    schedule.due += schedule.period;
    return frameTime;
}

uint32_t millisecondTick(SteadyTime time) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

uint32_t ticksBetween(uint32_t earlier, uint32_t later) {
    return later - earlier;
}

uint32_t clampUpdateMs(uint32_t elapsedMs) {
    return std::min(elapsedMs, maxUpdateMs);
}

}  // namespace spinvale
