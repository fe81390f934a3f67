// Windows BMP images for the scene's textures: reading the file and turning it into an image
// OpenGL 1.1 accepts (power-of-two sides of at most 512, palette images expanded to 24 bits).
// The pixel bytes keep the file's blue, green, red (alpha) order; the upload declares that
// order instead of swapping bytes. Nothing here needs a GL context: the one step that does,
// scaling to the new sides, is left to the render side (see texture.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace spinvale {

// OpenGL's numbers for the pixel formats used (GL_BGR_EXT, GL_BGRA_EXT, GL_RGB), kept here
// so that this code needs no GL header.
constexpr uint32_t formatBgr = 0x80E0;
constexpr uint32_t formatBgra = 0x80E1;
constexpr uint32_t formatRgb = 0x1907;

constexpr std::size_t bitmapFileHeaderSize = 14;
constexpr std::size_t bitmapInfoHeaderSize = 40;
constexpr uint32_t bitmapMaxPaletteSize = 256;
constexpr int32_t bitmapMaxSide = 16384;
constexpr int32_t textureMaxSide = 512;

// A BMP file that has passed every check: the declared palette and every pixel row are in
// `data`, so the pointers below can be read up to the last row without further checks.
struct BitmapFile {
    std::vector<uint8_t> data;  // everything after the 14-byte file header
    int32_t width = 0;          // 1 to bitmapMaxSide
    int32_t height = 0;         // 1 to bitmapMaxSide; rows are stored bottom row first
    int32_t bitsPerPixel = 0;   // 8, 24 or 32
    uint32_t paletteSize = 0;   // entries of blue, green, red, reserved; 8-bit images only
    std::size_t pixelOffset = 0;

    // Into `data`: the palette right after the 40-byte info header (null unless 8-bit), and
    // the rows right after the palette. The file's pixel-data offset is not consulted.
    const uint8_t* palette() const;
    const uint8_t* pixels() const;
};

// The byte length of one stored row: rows are padded to a multiple of 4 bytes
// (8 bits x 5 pixels gives 8, 24 bits x 5 pixels gives 16).
std::size_t bitmapRowStride(uint32_t bitsPerPixel, uint32_t width);

// A whole file's bytes, from the "BM" signature on. False, with the reason in error, for
// anything the loader does not support or that is shorter than its header says; nothing
// beyond `size` is ever read.
bool parseBitmap(const uint8_t* bytes, std::size_t size, BitmapFile& file, std::string& error);

// The same for a file on disk (a 14-byte header read, then the rest in one block).
bool readBitmapFile(const std::string& path, BitmapFile& file, std::string& error);

// One side of the uploaded image: the side, at most the driver's limit (itself at most 512),
// rounded up to a power of two and at least 2. 300 gives 512, 256 stays 256, 1 gives 2, and
// 1024 gives 512.
int32_t textureSide(int32_t side, int32_t driverLimit);

// Bytes of a scaled image: height rows of width x components bytes, each row padded to a
// multiple of 4 (OpenGL's default row alignment).
std::size_t scaledImageSize(int32_t width, int32_t height, int32_t components);

// How a bitmap goes to OpenGL.
struct TextureImage {
    uint32_t format = 0;     // formatBgr, or formatBgra for 32-bit images
    int32_t components = 0;  // 3 or 4, the internal format of the upload
    int32_t width = 0;       // power-of-two sides of the uploaded image
    int32_t height = 0;
    // False: the file's own rows are uploaded unchanged (24- and 32-bit images whose sides
    // are already right). True: the source rows are scaled from the file's sides to
    // width x height into a buffer of scaledSize bytes first; the scaler is told the rows
    // are scalerFormat, which works for blue-green-red rows too since every component is
    // scaled alike.
    bool needsScaling = false;
    uint32_t scalerFormat = 0;
    std::size_t scaledSize = 0;
    std::vector<uint8_t> expanded;  // an 8-bit image's rows expanded to 24-bit blue-green-red
};

// Decides the upload. False only when the memory for expanding an 8-bit image cannot be had
// (the reason in error). Palette indices past the file's palette give black.
bool prepareTextureImage(const BitmapFile& file, int32_t driverLimit, TextureImage& image,
                         std::string& error);

// The rows to scale or upload: the expanded rows of an 8-bit image, else the file's own.
const uint8_t* textureSource(const BitmapFile& file, const TextureImage& image);

}  // namespace spinvale
