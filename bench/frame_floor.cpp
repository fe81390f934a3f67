// spinvale-frame-floor: the game's window (size, samples, vsync, pacing) only cleared and
// swapped: what is left of a frame's time and memory is the platform's own cost.
#include <GL/gl.h>
#include <SDL.h>

#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app_window.h"
#include "frame_timing.h"
#include "match.h"
#include "options.h"
#include "settings_file.h"

namespace {

using namespace spinvale;

const char* const usage =
    "Usage: spinvale-frame-floor [OPTION]...\n"
    "The game's window only cleared and swapped, for scripts/bench-frame. Takes the game's\n"
    "options (--settings FILE, --samples N, --max-fps N, --frames N, --windowed); Esc quits.\n";
using Clock = std::chrono::steady_clock;

bool quitAsked() {
    SDL_Event e;
    bool quit = false;
    while (SDL_PollEvent(&e)) {
        quit |= e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE);
    }
    return quit;
}

void runFrames(const AppWindow& w, const Options& options) {
    FrameSchedule schedule{framePeriod(int(options.maxFps), w.vsyncGranted, w.refreshHz)};
    for (int64_t frames = 0; frames != options.frames && !quitAsked();) {
        if (const auto wait = timeUntilDue(schedule, Clock::now()); wait.count() > 0) {
            std::this_thread::sleep_for(wait);
        } else {
            startFrame(schedule, Clock::now());
            glClearColor(0.8f, 0.8f, 1, 0.5f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            SDL_GL_SwapWindow(w.window);
            ++frames;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CommandLine commandLine = gameCommandLine(options, "spinvale-frame-floor", usage);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    std::vector<std::string> warnings;
    const GameSettings settings = options.settingsPath.empty()
                                      ? defaultGameSettings()
                                      : loadSettings(options.settingsPath, warnings);
    SDL_SetMainReady();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "spinvale-frame-floor: " << SDL_GetError() << "\n";
        return 1;
    }
    AppWindow w;
    w.width = settings.screenWidth, w.height = settings.screenHeight;
    w.fullscreen = !options.windowed, w.vsync = options.maxFps > 0;
    Multisample multisample{options.samples};
    const bool opened = createAppWindow(w, multisample, false);
    if (opened) {
        runFrames(w, options);
        destroyAppWindow(w);
    } else {
        std::cerr << "spinvale-frame-floor: no window: " << SDL_GetError() << "\n";
    }
    SDL_Quit();
    return opened ? 0 : 1;
}
