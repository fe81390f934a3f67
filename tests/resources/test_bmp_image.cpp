// BMP files laid out byte by byte: what is read, what is refused and why.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "bmp_bytes.h"
#include "bmp_image.h"

namespace spinvale {
namespace {

using namespace test;

// Parsed from a buffer of exactly the file's size: a read past it is an AddressSanitizer error.
std::string parse(const Bytes& bytes, BitmapFile& file) {
    const Bytes exact(bytes);
    std::string error;
    return parseBitmap(exact.data(), exact.size(), file, error) ? "" : "refused: " + error;
}

// The palette (as many entries as the colours used say, all 256 for 0) follows the 40-byte
// info header, the rows the palette; sides up to 16384.
TEST(BitmapFile, WellFormedFilesAreReadWholeAndMalformedOrUnreadableOnesRefusedWithTheReason) {
    const std::pair<Bytes, uint32_t> cases[] = {
        {withRows(bmpHeaders(4, 1, 8, 16, 0, bmpPalette(16)), 4), 16},
        {withRows(bmpHeaders(4, 1, 8, 256, 0, bmpPalette(256)), 4), 256},
        {bmpFile(4, 1, 8), 256},
        {withRows(bmpHeaders(16384, 1, 8, 2, 0, bmpPalette(2)), 16384), 2},
        {bmpFile(1, 16384, 24), 0}};
    BitmapFile file;
    for (const auto& [bytes, paletteSize] : cases) {
        ASSERT_EQ(parse(bytes, file), "");
        EXPECT_EQ(file.data, Bytes(bytes.begin() + 14, bytes.end()));
        EXPECT_EQ(file.palette(), paletteSize > 0 ? file.data.data() + 40 : nullptr);
        EXPECT_EQ(file.pixels(), file.data.data() + 40 + 4 * paletteSize);
    }
    const Bytes twoByTwo = withRows(bmpHeaders(2, 2, 24), 16);
    Bytes wrongFirst = twoByTwo, wrongSecond = twoByTwo;
    wrongFirst[0] = wrongSecond[1] = 'X';
    const auto first = [&](std::size_t n) { return Bytes(twoByTwo.begin(), twoByTwo.begin() + n); };
    const std::tuple<const char*, Bytes, const char*> malformed[] = {
        {"empty file", {}, "too short"},
        {"file header alone", first(14), "too short"},
        {"15 bytes", first(15), "truncated info header"},
        {"info header one byte short", first(53), "truncated info header"},
        {"signature XM", wrongFirst, "signature"},
        {"signature BX", wrongSecond, "signature"},
        {"palette one entry short", bmpHeaders(4, 1, 8, 16, 0, bmpPalette(15)),
         "truncated palette"},
        {"colours used 0 needs 256", bmpHeaders(4, 1, 8, 0, 0, bmpPalette(16)),
         "truncated palette"},
        {"no rows", bmpHeaders(4, 1, 8, 16, 0, bmpPalette(16)), "truncated pixel rows"},
        {"last row byte missing", first(69), "truncated pixel rows"},
        {"width larger than the rows", withRows(bmpHeaders(1000, 2, 24), 16), "truncated pixel"},
        {"height larger than the rows", withRows(bmpHeaders(2, 3, 24), 16), "truncated pixel"},
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
        {"largest image", withRows(bmpHeaders(16384, 16384, 32), 64), "truncated pixel rows"}};
    for (const auto& [what, bytes, reason] : malformed) {
        const std::string error = parse(bytes, file);
        EXPECT_NE(error.find(reason), std::string::npos) << what << ": " << error;
    }
    const Bytes good = bmpFile(4, 2, 8, 7);
    const std::string paths[] = {temporaryFile(good), temporaryFile(Bytes(14, 'B')),
                                 temporaryFile(withRows(bmpHeaders(2, 2, 24), 15))};
    std::string error;
    ASSERT_TRUE(readBitmapFile(paths[0], file, error) && error.empty()) << error;
    EXPECT_EQ(std::tuple(file.width, file.height, file.bitsPerPixel, file.paletteSize),
              std::tuple(4, 2, 8, 256u));
    EXPECT_EQ(file.data, Bytes(good.begin() + 14, good.end()));
    EXPECT_EQ(file.palette()[4 * 255 + 2], uint8_t(10 * 255 + 2));
    EXPECT_EQ(Bytes(file.pixels(), file.pixels() + 8), Bytes(8, 7));
    const std::pair<std::string, const char*> refused[] = {
        {paths[1], "too short"},
        {paths[2], "truncated pixel rows"},
        {paths[0] + "-missing", "No such file or directory"},
        {"/tmp", "not a readable file"}};
    for (const auto& [path, reason] : refused) {
        EXPECT_FALSE(readBitmapFile(path, file, error)) << path;
        EXPECT_NE(error.find(reason), std::string::npos) << path << ": " << error;
    }
    for (const std::string& path : paths) {
        std::remove(path.c_str());
    }
}

}  // namespace
}  // namespace spinvale
