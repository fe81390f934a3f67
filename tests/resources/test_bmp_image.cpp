#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bmp_bytes.h"
#include "bmp_image.h"

namespace spinvale {
namespace {

using namespace test;

// Parsed from a buffer of exactly the file's size, so that a read past it is an
// AddressSanitizer error in the sanitized build.
bool parse(const Bytes& bytes, BitmapFile& file, std::string& error) {
    const Bytes exact(bytes);
    return parseBitmap(exact.data(), exact.size(), file, error);
}

TEST(BitmapRowStride, RowsArePaddedToFourBytes) {
    EXPECT_EQ(bitmapRowStride(8, 5), 8u);
    EXPECT_EQ(bitmapRowStride(24, 5), 16u);
    EXPECT_EQ(bitmapRowStride(8, 4), 4u);
    EXPECT_EQ(bitmapRowStride(24, 1), 4u);
    EXPECT_EQ(bitmapRowStride(24, 2), 8u);
    EXPECT_EQ(bitmapRowStride(32, 3), 12u);
    EXPECT_EQ(bitmapRowStride(24, 16384), 49152u);
    EXPECT_EQ(bitmapRowStride(32, 16384), 65536u);
    EXPECT_EQ(bitmapRowStride(32, 0xFFFFFFFFu), 0x3FFFFFFFCull);
}

TEST(ParseBitmap, TwentyFourBitRowsFollowTheInfoHeader) {
    Bytes b = bmpHeaders(2, 2, 24);
    // Bottom row: blue, then green; top row: red, then white; two padding bytes each.
    append(b, {255, 0, 0, 0, 255, 0, 0xAA, 0xAA, 0, 0, 255, 255, 255, 255, 0xAA, 0xAA});
    BitmapFile file;
    std::string error;
    ASSERT_TRUE(parse(b, file, error)) << error;
    EXPECT_EQ(file.width, 2);
    EXPECT_EQ(file.height, 2);
    EXPECT_EQ(file.bitsPerPixel, 24);
    EXPECT_EQ(file.data.size(), b.size() - 14);
    EXPECT_EQ(file.palette(), nullptr);
    EXPECT_EQ(file.pixels(), file.data.data() + 40);
    EXPECT_EQ(file.pixels()[0], 255);
    EXPECT_EQ(file.pixels()[8 + 2], 255);
}

TEST(ParseBitmap, ThirtyTwoBitRowsFollowTheInfoHeader) {
    BitmapFile file;
    std::string error;
    ASSERT_TRUE(parse(withRows(bmpHeaders(3, 1, 32), 12), file, error)) << error;
    EXPECT_EQ(file.palette(), nullptr);
    EXPECT_EQ(file.pixels(), file.data.data() + 40);
}

TEST(ParseBitmap, PaletteSizeComesFromColoursUsed) {
    BitmapFile file;
    std::string error;
    Bytes sixteen = bmpHeaders(4, 1, 8, 16);
    append(sixteen, bmpPalette(16));
    ASSERT_TRUE(parse(withRows(sixteen, 4), file, error)) << error;
    EXPECT_EQ(file.paletteSize, 16u);
    EXPECT_EQ(file.palette(), file.data.data() + 40);
    EXPECT_EQ(file.pixels(), file.data.data() + 40 + 64);

    Bytes full = bmpHeaders(4, 1, 8, 0);
    append(full, bmpPalette(256));
    ASSERT_TRUE(parse(withRows(full, 4), file, error)) << error;
    EXPECT_EQ(file.paletteSize, 256u);
    EXPECT_EQ(file.pixels(), file.data.data() + 40 + 1024);
}

TEST(ParseBitmap, LargestSidesAreAccepted) {
    BitmapFile file;
    std::string error;
    Bytes wide = bmpHeaders(16384, 1, 8, 2);
    append(wide, bmpPalette(2));
    EXPECT_TRUE(parse(withRows(wide, 16384), file, error)) << error;
    EXPECT_TRUE(parse(withRows(bmpHeaders(1, 16384, 24), 4 * 16384), file, error)) << error;
}

// Every one is refused before a pixel is touched, with a reason naming what is wrong.
TEST(ParseBitmap, MalformedFilesAreRefused) {
    Bytes twoByTwo = withRows(bmpHeaders(2, 2, 24), 16);
    Bytes shortPalette = bmpHeaders(4, 1, 8, 16);
    append(shortPalette, bmpPalette(15));
    Bytes fullPaletteMissing = bmpHeaders(4, 1, 8, 0);
    append(fullPaletteMissing, bmpPalette(16));
    Bytes rowsMissing = bmpHeaders(4, 1, 8, 16);
    append(rowsMissing, bmpPalette(16));
    Bytes wrongSignature = twoByTwo;
    wrongSignature[0] = 'M';
    wrongSignature[1] = 'B';
    const Bytes fourteen(twoByTwo.begin(), twoByTwo.begin() + 14);
    const Bytes fifteen(twoByTwo.begin(), twoByTwo.begin() + 15);
    const Bytes noInfoEnd(twoByTwo.begin(), twoByTwo.begin() + 53);
    const Bytes rowByteShort(twoByTwo.begin(), twoByTwo.end() - 1);

    const struct {
        const char* what;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"empty file", {}, "too short"},
        {"file header alone", fourteen, "too short"},
        {"15 bytes", fifteen, "truncated info header"},
        {"info header one byte short", noInfoEnd, "truncated info header"},
        {"wrong signature", wrongSignature, "signature"},
        {"palette one entry short", shortPalette, "truncated palette"},
        {"colours used 0 needs 256 entries", fullPaletteMissing, "truncated palette"},
        {"no rows", rowsMissing, "truncated pixel rows"},
        {"last row byte missing", rowByteShort, "truncated pixel rows"},
        {"width larger than the rows", withRows(bmpHeaders(1000, 2, 24), 16),
         "truncated pixel rows"},
        {"height larger than the rows", withRows(bmpHeaders(2, 3, 24), 16), "truncated pixel rows"},
        {"32 bits on 24-bit rows", withRows(bmpHeaders(5, 2, 32), 32), "truncated pixel rows"},
        {"16 bits", withRows(bmpHeaders(2, 2, 16), 16), "16 bits per pixel"},
        {"4 bits", withRows(bmpHeaders(2, 2, 4), 16), "4 bits per pixel"},
        {"0 bits", withRows(bmpHeaders(2, 2, 0), 16), "0 bits per pixel"},
        {"257 colours", withRows(bmpHeaders(4, 1, 8, 257), 2000), "palette of 257"},
        {"4294967295 colours", withRows(bmpHeaders(4, 1, 8, 0xFFFFFFFF), 2000), "palette of"},
        {"run-length coded", withRows(bmpHeaders(4, 1, 8, 2, 1), 100), "compress"},
        {"bit fields", withRows(bmpHeaders(2, 2, 32, 0, 3), 100), "compress"},
        {"width 0", withRows(bmpHeaders(0, 2, 24), 16), "width 0"},
        {"height 0", withRows(bmpHeaders(2, 0, 24), 16), "height 0"},
        {"negative width", withRows(bmpHeaders(-2, 2, 24), 16), "width -2"},
        {"top-down rows", withRows(bmpHeaders(2, -2, 24), 16), "top-down"},
        {"lowest width", withRows(bmpHeaders(INT32_MIN, 1, 24), 16), "width -2147483648"},
        {"width 16385", withRows(bmpHeaders(16385, 1, 24), 16), "width 16385"},
        {"largest height", withRows(bmpHeaders(1, INT32_MAX, 8, 1), 16), "height 2147483647"},
        {"largest image, little data", withRows(bmpHeaders(16384, 16384, 32), 64),
         "truncated pixel rows"},
    };
    for (const auto& c : cases) {
        BitmapFile file;
        std::string error;
        EXPECT_FALSE(parse(c.bytes, file, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
}

class BitmapOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/spinvale-bmp-XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = name;
    }
    void TearDown() override { std::remove(path_.c_str()); }
    void write(const Bytes& bytes) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string path_;
};

TEST_F(BitmapOnDisk, ReadsTheSameAsFromMemory) {
    Bytes b = bmpHeaders(4, 2, 8, 16);
    append(b, bmpPalette(16));
    append(b, {1, 2, 3, 4, 5, 6, 7, 8});
    write(b);
    BitmapFile file;
    std::string error;
    ASSERT_TRUE(readBitmapFile(path_, file, error)) << error;
    EXPECT_EQ(file.data, Bytes(b.begin() + 14, b.end()));
    EXPECT_EQ(file.pixels()[7], 8);
}

TEST_F(BitmapOnDisk, UnusableFilesGiveTheReason) {
    BitmapFile file;
    std::string error;
    write(Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(readBitmapFile(path_, file, error));
    EXPECT_NE(error.find("too short"), std::string::npos) << error;
    write(withRows(bmpHeaders(2, 2, 24), 15));
    EXPECT_FALSE(readBitmapFile(path_, file, error));
    EXPECT_NE(error.find("truncated pixel rows"), std::string::npos) << error;
    EXPECT_FALSE(readBitmapFile(path_ + "-missing", file, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(readBitmapFile("/tmp", file, error));
    EXPECT_EQ(error, "not a readable file");
}

TEST(TextureSide, RoundsUpToAPowerOfTwoWithinTheLimit) {
    EXPECT_EQ(textureSide(1, 16384), 2);
    EXPECT_EQ(textureSide(2, 16384), 2);
    EXPECT_EQ(textureSide(3, 16384), 4);
    EXPECT_EQ(textureSide(200, 16384), 256);
    EXPECT_EQ(textureSide(256, 16384), 256);
    EXPECT_EQ(textureSide(257, 16384), 512);
    EXPECT_EQ(textureSide(300, 16384), 512);
    EXPECT_EQ(textureSide(512, 16384), 512);
    EXPECT_EQ(textureSide(1024, 16384), 512);
    EXPECT_EQ(textureSide(16384, 16384), 512);
    EXPECT_EQ(textureSide(1024, 256), 256);
    EXPECT_EQ(textureSide(300, 64), 64);
}

TEST(ScaledImageSize, RowsArePaddedToFourBytes) {
    EXPECT_EQ(scaledImageSize(512, 512, 4), 1048576u);
    EXPECT_EQ(scaledImageSize(512, 256, 3), 393216u);
    EXPECT_EQ(scaledImageSize(4, 4, 3), 48u);
    EXPECT_EQ(scaledImageSize(2, 2, 3), 16u);  // 6-byte rows padded to 8
    EXPECT_EQ(scaledImageSize(2, 2, 4), 16u);
}

TextureImage prepared(const Bytes& bytes, int32_t driverLimit = 16384) {
    BitmapFile file;
    std::string error;
    TextureImage image;
    EXPECT_TRUE(parse(bytes, file, error)) << error;
    EXPECT_TRUE(prepareTextureImage(file, driverLimit, image, error)) << error;
    return image;
}

TEST(PrepareTextureImage, FittingDeepImagesAreUploadedAsTheyAre) {
    const TextureImage bgr = prepared(withRows(bmpHeaders(256, 256, 24), 256 * 768));
    EXPECT_FALSE(bgr.needsScaling);
    EXPECT_EQ(bgr.format, 0x80E0u);
    EXPECT_EQ(bgr.components, 3);
    EXPECT_EQ(bgr.width, 256);
    EXPECT_EQ(bgr.height, 256);
    EXPECT_TRUE(bgr.expanded.empty());

    const TextureImage bgra = prepared(withRows(bmpHeaders(2, 4, 32), 32));
    EXPECT_FALSE(bgra.needsScaling);
    EXPECT_EQ(bgra.format, 0x80E1u);
    EXPECT_EQ(bgra.components, 4);
}

TEST(PrepareTextureImage, PaletteImagesAreAlwaysScaled) {
    Bytes b = bmpHeaders(256, 256, 8, 2);
    append(b, bmpPalette(2));
    const TextureImage image = prepared(withRows(b, 256 * 256, 1));
    EXPECT_TRUE(image.needsScaling);
    EXPECT_EQ(image.width, 256);
    EXPECT_EQ(image.height, 256);
    EXPECT_EQ(image.format, 0x80E0u);
    EXPECT_EQ(image.scalerFormat, 0x1907u);
    EXPECT_EQ(image.components, 3);
    EXPECT_EQ(image.expanded.size(), 256u * 768u);
    EXPECT_EQ(image.scaledSize, 196608u);
}

TEST(PrepareTextureImage, OtherSidesAreScaled) {
    const TextureImage bgr = prepared(withRows(bmpHeaders(300, 200, 24), 900 * 200));
    EXPECT_TRUE(bgr.needsScaling);
    EXPECT_EQ(bgr.width, 512);
    EXPECT_EQ(bgr.height, 256);
    EXPECT_EQ(bgr.scalerFormat, 0x1907u);
    EXPECT_EQ(bgr.scaledSize, 393216u);

    const TextureImage bgra = prepared(withRows(bmpHeaders(300, 200, 32), 1200 * 200));
    EXPECT_EQ(bgra.format, 0x80E1u);
    EXPECT_EQ(bgra.scalerFormat, 0x80E1u);
    EXPECT_EQ(bgra.scaledSize, 524288u);

    const Bytes large = withRows(bmpHeaders(1024, 1024, 24), 3072 * 1024);
    const TextureImage capped = prepared(large);
    EXPECT_EQ(capped.width, 512);
    EXPECT_EQ(capped.height, 512);
    EXPECT_TRUE(capped.needsScaling);
    const TextureImage driverLimited = prepared(large, 256);
    EXPECT_EQ(driverLimited.width, 256);
    EXPECT_EQ(driverLimited.height, 256);
}

// A 5 x 2 image over a 16-entry palette: 8-byte index rows become 16-byte blue-green-red
// rows. Index 200 lies past the palette and gives black.
TEST(PrepareTextureImage, PaletteIsExpandedToBlueGreenRedRows) {
    Bytes b = bmpHeaders(5, 2, 8, 16);
    append(b, bmpPalette(16));
    append(b, {1, 2, 3, 4, 5, 9, 9, 9, 15, 0, 7, 200, 15, 9, 9, 9});
    BitmapFile file;
    std::string error;
    ASSERT_TRUE(parse(b, file, error)) << error;
    TextureImage image;
    ASSERT_TRUE(prepareTextureImage(file, 16384, image, error)) << error;
    const Bytes expected = {10,  11,  12,  20, 21, 22, 30, 31, 32, 40, 41, 42, 50,  51,  52,  0,
                            150, 151, 152, 0,  1,  2,  70, 71, 72, 0,  0,  0,  150, 151, 152, 0};
    EXPECT_EQ(image.expanded, expected);
    EXPECT_EQ(textureSource(file, image), image.expanded.data());
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.height, 2);
}

TEST(PrepareTextureImage, FullPaletteReachesItsLastEntry) {
    Bytes b = bmpHeaders(2, 1, 8, 0);
    append(b, bmpPalette(256));  // entry 255 wraps each byte: 10 x 255 = 2550 -> 246
    append(b, {255, 0, 0, 0});
    BitmapFile file;
    std::string error;
    ASSERT_TRUE(parse(b, file, error)) << error;
    TextureImage image;
    ASSERT_TRUE(prepareTextureImage(file, 16384, image, error)) << error;
    EXPECT_EQ(image.expanded, (Bytes{246, 247, 248, 0, 1, 2, 0, 0}));
}

}  // namespace
}  // namespace spinvale
