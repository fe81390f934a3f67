// spinvale-gen-textures: draws the scene's two images, so that no binary file lives in the
// source tree. "newsv_0.bmp" is the table top, "newsv_1.bmp" the wooden floor patch under it.
// The same program always draws the same bytes.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "command_line.h"

namespace {

constexpr const char* usage =
    "Usage: spinvale-gen-textures FOLDER\n"
    "Writes the table-top image newsv_0.bmp and the floor image newsv_1.bmp into FOLDER.\n";

constexpr double pi = 3.14159265358979323846;

struct Colour {
    uint8_t red, green, blue;
};

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 24;
    std::vector<Colour> palette;  // 8-bit images only
    std::vector<uint8_t> rows;    // bottom row first, each padded to 4 bytes

    std::size_t stride() const { return (std::size_t(bitsPerPixel) * width + 31) / 32 * 4; }
    uint8_t* pixel(int32_t x, int32_t y) {
        return rows.data() + y * stride() + x * std::size_t(bitsPerPixel / 8);
    }
};

Image blankImage(int32_t width, int32_t height, int bitsPerPixel) {
    Image image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bitsPerPixel;
    image.rows.assign(image.stride() * height, 0);
    return image;
}

void put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// A plain Windows BMP: 14-byte file header, 40-byte info header, palette, rows.
std::vector<uint8_t> encode(const Image& image) {
    const uint32_t paletteBytes = 4 * static_cast<uint32_t>(image.palette.size());
    const uint32_t pixelOffset = 54 + paletteBytes;
    const uint32_t rowBytes = static_cast<uint32_t>(image.rows.size());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put(out, pixelOffset + rowBytes, 4);
    put(out, 0, 4);
    put(out, pixelOffset, 4);
    put(out, 40, 4);
    put(out, static_cast<uint32_t>(image.width), 4);
    put(out, static_cast<uint32_t>(image.height), 4);
    put(out, 1, 2);  // planes
    put(out, static_cast<uint32_t>(image.bitsPerPixel), 2);
    put(out, 0, 4);  // no compression
    put(out, rowBytes, 4);
    put(out, 2835, 4);  // 72 dots per inch, both ways
    put(out, 2835, 4);
    put(out, static_cast<uint32_t>(image.palette.size()), 4);  // colours used
    put(out, 0, 4);                                            // all colours important
    for (const Colour& c : image.palette) {
        out.insert(out.end(), {c.blue, c.green, c.red, 0});
    }
    out.insert(out.end(), image.rows.begin(), image.rows.end());
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::cerr << "spinvale-gen-textures: cannot create " << path << ": " << std::strerror(errno)
                  << "\n";
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::cerr << "spinvale-gen-textures: cannot write " << path << "\n";
        std::remove(path.c_str());
        return false;
    }
    return true;
}

// Uniform in [0, 1) from the raw 32-bit draws, which the standard fixes for every platform.
double uniform(std::mt19937& random) {
    return random() / 4294967296.0;
}

uint8_t toByte(double value) {
    return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
}

// The table top as its texture coordinates lay it out: u runs from 1 at x = -76.181 to 0 at
// x = 76.319 (mirrored), v from 0 at z = 136.885 to 1 at z = -137.115, and the first row is
// v = 0. The white lines are 2 cm along every edge and 3 mm down the middle (x = 0), the
// middle one widened to two pixels so that linear filtering cannot wash it out.
namespace tableTop {
constexpr double xAtU0 = 76.319;
constexpr double zAtV0 = 136.885;
constexpr double width = 152.5;
constexpr double length = 274.0;
constexpr double edgeLine = 2.0;
constexpr double centreLine = 0.3;
constexpr int32_t side = 512;
constexpr Colour surface{18, 86, 104};  // blue-green

bool onLine(int32_t column, int32_t row) {
    const double x = xAtU0 - (column + 0.5) / side * width;
    const double z = zAtV0 - (row + 0.5) / side * length;
    const double pixelsPerCm = side / width;
    const double centreHalfWidth = std::fmax(centreLine / 2 * pixelsPerCm, 1.0) / pixelsPerCm;
    return x > xAtU0 - edgeLine || x < xAtU0 - width + edgeLine || z > zAtV0 - edgeLine ||
           z < zAtV0 - length + edgeLine || std::fabs(x) <= centreHalfWidth;
}

Image draw() {
    Image image = blankImage(side, side, 24);
    std::mt19937 random(20240611);
    for (int32_t y = 0; y < side; ++y) {
        for (int32_t x = 0; x < side; ++x) {
            uint8_t* p = image.pixel(x, y);
            const double grain = (uniform(random) - 0.5) * 8.0;  // a faint matt texture
            if (onLine(x, y)) {
                p[0] = p[1] = p[2] = 255;
                continue;
            }
            p[0] = toByte(surface.blue + grain);
            p[1] = toByte(surface.green + grain);
            p[2] = toByte(surface.red + grain);
        }
    }
    return image;
}
}  // namespace tableTop

// Oak floorboards running along the table, 12 boards across the image, each with its own
// shade, streaks of grain along its length that sway a little, and one butt joint. The image
// repeats seamlessly top to bottom, since the floor is drawn across the wrap of v. Its sides
// are not powers of two, so the game expands and scales it on every start.
namespace floorPatch {
constexpr int32_t width = 360;
constexpr int32_t height = 480;
constexpr int32_t boardWidth = 30;
constexpr int shades = 63;  // palette entries 0 to 62, dark to light; 63 is the gaps' colour
constexpr uint8_t gap = shades;
constexpr Colour dark{88, 52, 26};
constexpr Colour light{218, 168, 106};

std::vector<Colour> woodPalette() {
    std::vector<Colour> palette;
    for (int i = 0; i < shades; ++i) {
        const double t = i / double(shades - 1);
        palette.push_back({toByte(dark.red + t * (light.red - dark.red)),
                           toByte(dark.green + t * (light.green - dark.green)),
                           toByte(dark.blue + t * (light.blue - dark.blue))});
    }
    palette.push_back({40, 24, 12});
    return palette;
}

Image draw() {
    Image image = blankImage(width, height, 8);
    image.palette = woodPalette();
    std::mt19937 random(19640512);
    for (int32_t board = 0; board < width / boardWidth; ++board) {
        const double shade = 0.35 + 0.4 * uniform(random);
        const double phase = 2 * pi * uniform(random);
        const double rings = 2.0 + 3.0 * uniform(random);
        const int32_t joint = static_cast<int32_t>(uniform(random) * height);
        std::vector<double> streaks(boardWidth);
        for (double& s : streaks) {
            s = (uniform(random) - 0.5) * 0.12;
        }
        for (int32_t y = 0; y < height; ++y) {
            const double sway = 0.5 * std::sin(2 * pi * 2 * y / height + phase);
            for (int32_t i = 0; i < boardWidth; ++i) {
                const int32_t x = board * boardWidth + i;
                if (i == 0 || y == joint) {
                    *image.pixel(x, y) = gap;
                    continue;
                }
                const double across = double(i) / boardWidth;
                const double figure = 0.1 * std::sin(2 * pi * (rings * across + sway));
                const double fleck = (uniform(random) - 0.5) * 0.04;
                const double level = shade + figure + streaks[i] + fleck;
                *image.pixel(x, y) = static_cast<uint8_t>(
                    std::lround(std::fmin(1.0, std::fmax(0.0, level)) * (shades - 1)));
            }
        }
    }
    return image;
}
}  // namespace floorPatch

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> folders;
    spinvale::CommandLine commandLine("spinvale-gen-textures", usage);
    commandLine.words(folders, 1, 1);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    const std::string& folder = folders[0];
    const bool written = writeFile(folder + "/newsv_0.bmp", encode(tableTop::draw())) &&
                         writeFile(folder + "/newsv_1.bmp", encode(floorPatch::draw()));
    return written ? 0 : 1;
}
