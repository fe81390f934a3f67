// spinvale-screenshot: saves the whole X screen (the DISPLAY it runs on) as a PNG file.
// The README's picture of the game is taken with it under Xvfb.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "png_writer.h"

constexpr const char* usage =
    "Usage: spinvale-screenshot [--size WxH] OUT.png\n"
    "Saves the whole screen of the X display (DISPLAY) as a PNG file, or with --size only\n"
    "its top-left W by H pixels (where a window of that size stands without a window\n"
    "manager).\n";

int main(int argc, char** argv) {
    std::vector<std::string> outputs;
    int wantedWidth = 0;
    int wantedHeight = 0;
    spinvale::CommandLine commandLine("spinvale-screenshot", usage);
    commandLine.words(outputs, 1, 1);
    commandLine.option("--size", [&](const std::string& value) {
        char x = 0;
        char rest = 0;
        const bool read =
            std::sscanf(value.c_str(), "%d%c%d%c", &wantedWidth, &x, &wantedHeight, &rest) == 3 &&
            x == 'x' && wantedWidth > 0 && wantedHeight > 0;
        return read ? "" : "a size such as 800x600";
    });
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "spinvale-screenshot: cannot open the X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, unsigned(attributes.width),
                              unsigned(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "spinvale-screenshot: cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }
    const int width = wantedWidth > 0 ? std::min(wantedWidth, attributes.width) : attributes.width;
    const int height =
        wantedHeight > 0 ? std::min(wantedHeight, attributes.height) : attributes.height;
    std::vector<uint8_t> pixels(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            uint8_t* out = &pixels[(std::size_t(y) * width + x) * 4];
            out[0] = uint8_t((pixel & image->red_mask) >> __builtin_ctzl(image->red_mask));
            out[1] = uint8_t((pixel & image->green_mask) >> __builtin_ctzl(image->green_mask));
            out[2] = uint8_t((pixel & image->blue_mask) >> __builtin_ctzl(image->blue_mask));
            out[3] = 255;
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    std::string error;
    if (!spinvale::writePng(outputs[0], width, height, pixels, error)) {
        std::fprintf(stderr, "spinvale-screenshot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
