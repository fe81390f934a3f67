#include "frame_timing.h"

#include <algorithm>

namespace spinvale {

int64_t frameWaitMicros(int64_t sinceLastStartUs, int maxFps) {
    if (maxFps <= 0) {
        return 0;
    }
    // Rounded up, so that frames are never closer together than the limit allows.
    const int64_t periodUs = (1000000 + maxFps - 1) / maxFps;
    return std::max<int64_t>(0, periodUs - sinceLastStartUs);
}

uint32_t millisecondTick(std::chrono::steady_clock::time_point time) {
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
