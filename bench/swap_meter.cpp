// Preloaded (LD_PRELOAD) into any SDL program, unchanged, it times its frames from outside:
// at exit one line goes to the file SPINVALE_SWAP_METER names: the SDL_GL_SwapWindow calls
// after the warm-up (start-up, first drawing paths compiled), the seconds and all threads'
// processor seconds from its end to the last swap, and the most anonymous memory seen.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

using SwapFunction = void (*)(SDL_Window*);

constexpr long warmUpSwaps = 10;

struct Meter {
    long swaps = -warmUpSwaps;  // 0 at the last swap of the warm-up
    double firstWall = 0, lastWall = 0, firstCpu = 0, lastCpu = 0;
    long peakAnonKb = 0;
} meter;

double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

long anonymousKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "RssAnon:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

// After the swap, so that the time spent waiting in it counts toward the frame it shows.
void countSwap() {
    meter.lastWall = seconds(CLOCK_MONOTONIC);
    meter.lastCpu = seconds(CLOCK_PROCESS_CPUTIME_ID);
    if (++meter.swaps == 0) {
        meter.firstWall = meter.lastWall, meter.firstCpu = meter.lastCpu;
    }
    if (meter.swaps > 0 && meter.swaps % 50 == 0) {
        meter.peakAnonKb = std::max(meter.peakAnonKb, anonymousKb());
    }
}

__attribute__((destructor)) void writeReport() {
    const char* path = std::getenv("SPINVALE_SWAP_METER");
    FILE* out = path != nullptr ? std::fopen(path, "w") : nullptr;
    if (out == nullptr) {
        return;
    }
    std::fprintf(out, "swaps %ld seconds %.6f cpu %.6f anon_kb %ld\n", meter.swaps,
                 meter.lastWall - meter.firstWall, meter.lastCpu - meter.firstCpu,
                 meter.peakAnonKb);
    std::fclose(out);
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    static const auto next = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    next(window);
    countSwap();
}
