// The table-top and floor images drawn at build time, checked against where the table's
// texture coordinates put the lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "bmp_image.h"
#include "data_paths.h"

namespace spinvale {
namespace {

BitmapFile shipped(const std::string& name) {
    BitmapFile file;
    std::string error;
    const std::string path = executableDirectory() + "/data/" + name;
    EXPECT_TRUE(readBitmapFile(path, file, error)) << path << ": " << error;
    return file;
}

bool isPowerOfTwo(int32_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

uint32_t coloursUsed(const BitmapFile& file) {
    const uint8_t* field = file.data.data() + 32;
    return field[0] | field[1] << 8 | field[2] << 16 | uint32_t{field[3]} << 24;
}

// The texel of the table top at (x, z) cm: u = 1 at x = -76.181 falling to 0 at x = 76.319,
// v = 0 at z = 136.885 rising to 1 at z = -137.115; stored row 0 is v = 0.
struct Texel {
    uint8_t blue, green, red;
};

Texel tableTexel(const BitmapFile& file, double x, double z) {
    const double u = (76.319 - x) / 152.5;
    const double v = (136.885 - z) / 274.0;
    const int column = static_cast<int>(std::floor(u * file.width));
    const int row = static_cast<int>(std::floor(v * file.height));
    const uint8_t* p = file.pixels() + row * bitmapRowStride(24, file.width) + 3 * column;
    return {p[0], p[1], p[2]};
}

bool isWhite(Texel t) {
    return t.red > 240 && t.green > 240 && t.blue > 240;
}

// Blue-green: far from white, with more blue and green than red.
bool isPlayingSurface(Texel t) {
    return t.red < 60 && t.green > t.red + 30 && t.blue > t.red + 30 && t.green < 160 &&
           t.blue < 160;
}

TEST(TableTopImage, IsATwentyFourBitPowerOfTwoImage) {
    const BitmapFile file = shipped("newsv_0.bmp");
    EXPECT_EQ(file.bitsPerPixel, 24);
    EXPECT_TRUE(isPowerOfTwo(file.width) && file.width <= 512) << file.width;
    EXPECT_TRUE(isPowerOfTwo(file.height) && file.height <= 512) << file.height;
}

TEST(TableTopImage, EdgeLinesRunAlongAllFourEdges) {
    const BitmapFile file = shipped("newsv_0.bmp");
    for (double along : {-130.0, -60.0, 30.0, 120.0}) {
        EXPECT_TRUE(isWhite(tableTexel(file, -75.6, along))) << "x -75.6, z " << along;
        EXPECT_TRUE(isWhite(tableTexel(file, 75.8, along))) << "x 75.8, z " << along;
        EXPECT_TRUE(isPlayingSurface(tableTexel(file, -73.5, along))) << "x -73.5, z " << along;
        EXPECT_TRUE(isPlayingSurface(tableTexel(file, 73.5, along))) << "x 73.5, z " << along;
    }
    for (double across : {-70.0, -20.0, 40.0, 70.0}) {
        EXPECT_TRUE(isWhite(tableTexel(file, across, 136.0))) << "x " << across << ", z 136";
        EXPECT_TRUE(isWhite(tableTexel(file, across, -136.4))) << "x " << across << ", z -136.4";
        EXPECT_TRUE(isPlayingSurface(tableTexel(file, across, 133.5))) << across;
        EXPECT_TRUE(isPlayingSurface(tableTexel(file, across, -134.5))) << across;
    }
}

TEST(TableTopImage, CentreLineIsAtLeastTwoTexelsWide) {
    const BitmapFile file = shipped("newsv_0.bmp");
    for (double along : {-100.0, -5.0, 5.0, 100.0}) {
        EXPECT_TRUE(isWhite(tableTexel(file, 0.0, along))) << along;
        EXPECT_TRUE(isPlayingSurface(tableTexel(file, 1.5, along))) << along;
        EXPECT_TRUE(isPlayingSurface(tableTexel(file, -1.5, along))) << along;
        const double texel = 152.5 / file.width;
        const bool left = isWhite(tableTexel(file, -texel, along));
        const bool right = isWhite(tableTexel(file, texel, along));
        EXPECT_TRUE(left || right) << along;
    }
}

TEST(TableTopImage, HalvesArePlayingSurface) {
    const BitmapFile file = shipped("newsv_0.bmp");
    for (double x : {-38.0, 38.0}) {
        for (double z : {-68.0, 68.0}) {
            EXPECT_TRUE(isPlayingSurface(tableTexel(file, x, z))) << x << ", " << z;
        }
    }
}

TEST(FloorImage, IsAPaletteImageThatMustBeScaled) {
    const BitmapFile file = shipped("newsv_1.bmp");
    EXPECT_EQ(file.bitsPerPixel, 8);
    EXPECT_FALSE(isPowerOfTwo(file.width)) << file.width;
    EXPECT_FALSE(isPowerOfTwo(file.height)) << file.height;
    EXPECT_GT(coloursUsed(file), 0u);
    EXPECT_LT(coloursUsed(file), 256u);
    EXPECT_EQ(file.paletteSize, coloursUsed(file));
    // Every index names a colour of the palette.
    const std::size_t stride = bitmapRowStride(8, file.width);
    for (int32_t y = 0; y < file.height; ++y) {
        for (int32_t x = 0; x < file.width; ++x) {
            ASSERT_LT(file.pixels()[y * stride + x], file.paletteSize) << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace spinvale
