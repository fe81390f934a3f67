// A real OpenGL context for rendered tests. SDL's offscreen driver needs no display; where
// it is missing, a desktop session or xvfb-run serves (SDL_VIDEODRIVER picks one driver).
// Without any, the tests that need it are skipped with the reasons collected here.
#pragma once

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace spinvale::test {

// The context lives as long as the process: closing SDL's video unloads the GL driver,
// whose leftovers the leak checker of the sanitized build would then report.
struct GlTestContext {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::string failure;

    // A legacy (compatibility) context with a depth buffer on a hidden window.
    bool open(const char* title, int width, int height) {
        const char* chosen = std::getenv("SDL_VIDEODRIVER");
        const std::vector<const char*> drivers =
            chosen != nullptr ? std::vector<const char*>{chosen}
                              : std::vector<const char*>{"offscreen", nullptr};
        for (const char* driver : drivers) {
            if (openWith(driver, title, width, height)) {
                return true;
            }
        }
        return false;
    }

  private:
    bool openWith(const char* driver, const char* title, int width, int height) {
        const std::string name = driver != nullptr ? driver : "default";
        if (SDL_VideoInit(driver) != 0) {
            failure += name + ": " + SDL_GetError() + "; ";
            return false;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        window =
            SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
        if (context != nullptr) {
            return true;
        }
        failure += name + ": " + SDL_GetError() + "; ";
        if (window != nullptr) {
            SDL_DestroyWindow(window);
            window = nullptr;
        }
        SDL_VideoQuit();
        return false;
    }
};

}  // namespace spinvale::test
