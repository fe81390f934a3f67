// The game's one window and its OpenGL context: made fullscreen or windowed, torn down
// whole, and made again for every switch between the two.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace spinvale {

struct AppWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    int width = 0;  // requested client size, pixels
    int height = 0;
    bool fullscreen = false;  // cleared when the display cannot show the requested size
    bool visible = false;     // shown and not minimised
    bool vsync = true;        // asked for: the swap waits for the display's refresh
    bool vsyncGranted = false;
    int refreshHz = 0;      // of the window's display; 0: not known
    std::string renderer;   // GL_RENDERER of the context
    int viewportWidth = 0;  // the size the viewport was last set for
    int viewportHeight = 0;
};

// The multisampling the player asked for, and what the windows get: the first window
// after a request tries that many samples per pixel, then fewer (4, 2, none), and later
// windows take what it got directly. Without a request it is 4, 2 or none on a graphics
// card, and none on a software renderer, where every sample is drawn by the processor.
struct Multisample {
    int requested = -1;  // -1: as the renderer suits
    int samples = -1;    // -1 until a window has been made since the last request
};

// A window of the requested size with a current context, fullscreen when asked and the
// display has exactly that mode, else in a window after telling the player so. False when
// no window or context could be made; nothing is left open then.
bool createAppWindow(AppWindow& w, Multisample& multisample, bool dialogs);

// Context and window closed, the cursor shown again, input meant for the window dropped.
void destroyAppWindow(AppWindow& w);

// A new client size for the viewport. A window with no height (or width) keeps the
// viewport and aspect it had: there is nothing to see and no aspect ratio to compute.
void followResize(AppWindow& w, int width, int height);

}  // namespace spinvale
