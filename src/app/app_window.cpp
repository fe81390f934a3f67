#include "app_window.h"

#include <GL/gl.h>

#include <initializer_list>

#include "gl_extensions.h"
#include "messages.h"
#include "render.h"

namespace spinvale {

namespace {

// Version 2.1 with no profile: SDL then makes a legacy context, never a core one, so every
// fixed-function call the drawing makes is there. No alpha channel is asked for: X may then
// pick a visual with alpha, which a compositing desktop would show see-through.
void requestPixelFormat(int samples) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples);
}

void closeWindow(AppWindow& w) {
    if (w.context != nullptr) {
        SDL_GL_MakeCurrent(w.window, nullptr);
        SDL_GL_DeleteContext(w.context);
        w.context = nullptr;
    }
    if (w.window != nullptr) {
        SDL_DestroyWindow(w.window);
        w.window = nullptr;
    }
}

// A multisampled format is only worth having where the context can switch multisampling.
bool canMultisample() {
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return hasExtension(extensions, "GL_ARB_multisample");
}

// SDL refuses the window when X has no visual with that many samples.
bool openWindowWith(AppWindow& w, int samples) {
    requestPixelFormat(samples);
    const Uint32 flags =
        SDL_WINDOW_OPENGL | (w.fullscreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_RESIZABLE);
    w.window = SDL_CreateWindow("Spinvale", 0, 0, w.width, w.height, flags);
    if (w.window == nullptr) {
        return false;
    }
    w.context = SDL_GL_CreateContext(w.window);  // made current
    if (w.context == nullptr || (samples > 0 && !canMultisample())) {
        closeWindow(w);
        return false;
    }
    return true;
}

const char* rendererName() {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name != nullptr ? name : "";
}

// The largest count the display grants, from the first one on.
bool openWithSamplesUpTo(AppWindow& w, Multisample& multisample, int first) {
    for (const int samples : {8, 4, 2, 0}) {
        if (samples <= first && openWindowWith(w, samples)) {
            multisample.samples = samples;
            return true;
        }
    }
    return false;
}

// Without a count asked for, a window without multisampling tells which renderer draws.
bool openWindow(AppWindow& w, Multisample& multisample) {
    if (multisample.samples >= 0) {
        return openWindowWith(w, multisample.samples);
    }
    if (multisample.requested >= 0) {
        return openWithSamplesUpTo(w, multisample, multisample.requested);
    }
    if (!openWindowWith(w, 0)) {
        return false;
    }
    if (isSoftwareRenderer(rendererName())) {
        multisample.samples = 0;
        return true;
    }
    closeWindow(w);
    return openWithSamplesUpTo(w, multisample, 4);
}

bool displayOffers(int width, int height) {
    const SDL_DisplayMode wanted{0, width, height, 0, nullptr};
    SDL_DisplayMode closest;
    return SDL_GetClosestDisplayMode(0, &wanted, &closest) != nullptr && closest.w == width &&
           closest.h == height;
}

bool hasRequestedSize(const AppWindow& w) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(w.window, &width, &height);
    return width == w.width && height == w.height;
}

void runWindowed(AppWindow& w, bool dialogs) {
    showError("Mode Switch Failed.\nRunning In Windowed Mode.", dialogs);
    w.fullscreen = false;
}

// Vsync where it is asked for and the driver grants it; without it the swap returns at
// once. The refresh rate says whether the swap alone can keep the frame limit.
void takeSwapInterval(AppWindow& w) {
    w.vsyncGranted =
        SDL_GL_SetSwapInterval(w.vsync ? 1 : 0) == 0 && w.vsync && SDL_GL_GetSwapInterval() == 1;
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(w.window);
    w.refreshHz =
        display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
    w.renderer = rendererName();
}

void setViewport(AppWindow& w, int width, int height) {
    reshapeViewport(width, height);
    w.viewportWidth = width;
    w.viewportHeight = height;
}

}  // namespace

bool createAppWindow(AppWindow& w, Multisample& multisample, bool dialogs) {
    if (w.fullscreen && !displayOffers(w.width, w.height)) {
        runWindowed(w, dialogs);
    }
    if (!openWindow(w, multisample)) {
        return false;
    }
    // The display may still have refused the mode: the window then is not the size asked.
    if (w.fullscreen && !hasRequestedSize(w)) {
        closeWindow(w);
        runWindowed(w, dialogs);
        if (!openWindow(w, multisample)) {
            return false;
        }
    }
    if (w.fullscreen) {
        SDL_ShowCursor(SDL_DISABLE);
    }
    takeSwapInterval(w);
    w.visible = true;
    setViewport(w, w.width, w.height);
    return true;
}

void destroyAppWindow(AppWindow& w) {
    closeWindow(w);
    if (w.fullscreen) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    // Keys and clicks still queued were meant for the window that is gone.
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
}

void followResize(AppWindow& w, int width, int height) {
    const bool changed = width != w.viewportWidth || height != w.viewportHeight;
    if (width > 0 && height > 0 && changed) {
        setViewport(w, width, height);
    }
}

}  // namespace spinvale
