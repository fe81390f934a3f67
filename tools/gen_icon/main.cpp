// spinvale-gen-icon: draws the game's icon, a red paddle with a wooden handle and a white
// ball, as PNG files of the sizes asked for. Usage: spinvale-gen-icon SIZE OUT.png ...
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"
#include "png_writer.h"

namespace {

struct Colour {
    double r, g, b, a;
};

// Distance from p to the segment a-b, in the unit square.
double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// The icon at one point of the unit square (y down), painted back to front.
Colour iconAt(double x, double y) {
    Colour c{0, 0, 0, 0};
    const double handle = segmentDistance(x, y, 0.58, 0.58, 0.86, 0.86);
    if (handle < 0.075) {
        const double grain = 0.06 * std::sin(90 * (x - y));
        c = handle > 0.06 ? Colour{0.45, 0.3, 0.13, 1} : Colour{0.8 + grain, 0.6 + grain, 0.33, 1};
    }
    const double blade = std::hypot(x - 0.4, y - 0.4);
    if (blade < 0.31) {
        c = blade > 0.285 ? Colour{0.5, 0.08, 0.08, 1} : Colour{0.78, 0.14, 0.13, 1};
    }
    const double ball = std::hypot(x - 0.78, y - 0.24);
    if (ball < 0.115) {
        // Lit from the upper left.
        const double nx = (x - 0.78) / 0.115;
        const double ny = (y - 0.24) / 0.115;
        const double nz = std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny));
        const double light = std::clamp(0.55 + 0.45 * (-0.5 * nx - 0.5 * ny + 0.7 * nz), 0.0, 1.0);
        c = ball > 0.105 ? Colour{0.55, 0.55, 0.6, 1} : Colour{light, light, light * 0.97, 1};
    }
    return c;
}

std::vector<uint8_t> drawIcon(int size) {
    constexpr int samples = 4;  // per side, for smooth edges
    std::vector<uint8_t> pixels(std::size_t(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Colour sum{0, 0, 0, 0};
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const Colour c = iconAt((px + (sx + 0.5) / samples) / size,
                                            (py + (sy + 0.5) / samples) / size);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            }
            uint8_t* out = &pixels[(std::size_t(py) * size + px) * 4];
            const double coverage = sum.a / (samples * samples);
            const double alpha = sum.a > 0 ? sum.a : 1;
            out[0] = uint8_t(std::lround(255 * sum.r / alpha));
            out[1] = uint8_t(std::lround(255 * sum.g / alpha));
            out[2] = uint8_t(std::lround(255 * sum.b / alpha));
            out[3] = uint8_t(std::lround(255 * coverage));
        }
    }
    return pixels;
}

}  // namespace

constexpr const char* usage =
    "Usage: spinvale-gen-icon SIZE OUT.png [SIZE OUT.png ...]\n"
    "Draws Spinvale's icon, SIZE pixels square (16 to 1024), into each PNG file.\n";

int main(int argc, char** argv) {
    std::vector<std::string> words;
    spinvale::CommandLine commandLine("spinvale-gen-icon", usage);
    commandLine.words(words, 2, 64);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    if (words.size() % 2 != 0) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    for (std::size_t i = 0; i < words.size(); i += 2) {
        const int size = std::atoi(words[i].c_str());
        std::string error;
        if (size < 16 || size > 1024 ||
            !spinvale::writePng(words[i + 1], size, size, drawIcon(size), error)) {
            std::fprintf(stderr, "spinvale-gen-icon: %s\n",
                         error.empty() ? "bad size" : error.c_str());
            return 1;
        }
    }
    return 0;
}
