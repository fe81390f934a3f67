#include "bmp_image.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace spinvale {

namespace {

// Info-header fields, as offsets within the 40-byte info header.
constexpr std::size_t widthField = 4;
constexpr std::size_t heightField = 8;
constexpr std::size_t bitsPerPixelField = 14;
constexpr std::size_t compressionField = 16;
constexpr std::size_t coloursUsedField = 32;

uint32_t readUint32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

int32_t readInt32(const uint8_t* at) {
    return static_cast<int32_t>(readUint32(at));
}

uint16_t readUint16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

std::string bytes(std::size_t count) {
    return std::to_string(count) + " bytes";
}

// The smallest file the loader looks at has its 14-byte file header and one byte more.
bool checkFileHeader(const uint8_t* header, std::size_t fileSize, std::string& error) {
    if (fileSize <= bitmapFileHeaderSize) {
        error = "too short for a BMP file (" + bytes(fileSize) + ")";
        return false;
    }
    if (header[0] != 'B' || header[1] != 'M') {
        error = "not a BMP file (no \"BM\" signature)";
        return false;
    }
    return true;
}

bool checkSide(const char* name, int32_t side, std::string& error) {
    if (side >= 1 && side <= bitmapMaxSide) {
        return true;
    }
    error = std::string(name) + " " + std::to_string(side) + " is not between 1 and " +
            std::to_string(bitmapMaxSide);
    if (side < 0 && name[0] == 'h') {
        error += " (top-down images are not supported)";
    }
    return false;
}

bool checkLength(const char* part, std::size_t needed, std::size_t available, std::string& error) {
    if (available >= needed) {
        return true;
    }
    error = std::string("truncated ") + part + " (needs " + bytes(needed) + ", has " +
            std::to_string(available) + ")";
    return false;
}

// Reads the info header in file.data and checks that the palette and every row it implies
// are there. Sides are at most bitmapMaxSide and rows at most 4 bytes a pixel, so no size
// below can overflow: the rows of the largest image take 2^30 bytes.
bool describeContents(BitmapFile& file, std::string& error) {
    const std::size_t size = file.data.size();
    if (!checkLength("info header", bitmapInfoHeaderSize, size, error)) {
        return false;
    }
    const uint8_t* info = file.data.data();
    file.width = readInt32(info + widthField);
    file.height = readInt32(info + heightField);
    file.bitsPerPixel = readUint16(info + bitsPerPixelField);
    const uint32_t compression = readUint32(info + compressionField);
    const uint32_t coloursUsed = readUint32(info + coloursUsedField);
    if (!checkSide("width", file.width, error) || !checkSide("height", file.height, error)) {
        return false;
    }
    if (file.bitsPerPixel != 8 && file.bitsPerPixel != 24 && file.bitsPerPixel != 32) {
        error = std::to_string(file.bitsPerPixel) +
                " bits per pixel is not supported (only 8, 24 and 32)";
        return false;
    }
    if (compression != 0) {
        error =
            "compressed images are not supported (compression " + std::to_string(compression) + ")";
        return false;
    }
    file.paletteSize = 0;
    if (file.bitsPerPixel == 8) {
        if (coloursUsed > bitmapMaxPaletteSize) {
            error = "palette of " + std::to_string(coloursUsed) + " colours is larger than " +
                    std::to_string(bitmapMaxPaletteSize);
            return false;
        }
        file.paletteSize = coloursUsed == 0 ? bitmapMaxPaletteSize : coloursUsed;
    }
    const std::size_t paletteBytes = std::size_t{4} * file.paletteSize;
    if (!checkLength("palette", paletteBytes, size - bitmapInfoHeaderSize, error)) {
        return false;
    }
    file.pixelOffset = bitmapInfoHeaderSize + paletteBytes;
    const std::size_t rowBytes = bitmapRowStride(static_cast<uint32_t>(file.bitsPerPixel),
                                                 static_cast<uint32_t>(file.width)) *
                                 static_cast<std::size_t>(file.height);
    return checkLength("pixel rows", rowBytes, size - file.pixelOffset, error);
}

// Writes bytes 0, 1 and 2 (blue, green, red) of each pixel's palette entry as 24-bit rows.
void expandPalette(const BitmapFile& file, uint8_t* out) {
    const std::size_t width = static_cast<std::size_t>(file.width);
    const std::size_t inStride = bitmapRowStride(8, static_cast<uint32_t>(file.width));
    const std::size_t outStride = bitmapRowStride(24, static_cast<uint32_t>(file.width));
    const uint8_t* palette = file.palette();
    const uint8_t* in = file.pixels();
    for (std::size_t y = 0; y < static_cast<std::size_t>(file.height); ++y) {
        uint8_t* row = out + y * outStride;
        for (std::size_t x = 0; x < width; ++x) {
            const uint8_t index = in[y * inStride + x];
            if (index < file.paletteSize) {
                std::memcpy(row + 3 * x, palette + 4 * std::size_t{index}, 3);
            }
        }
    }
}

// The 14-byte file header, then, when it is one, the rest of the file in one block.
bool readOpenFile(std::FILE* stream, BitmapFile& file, std::string& error) {
    struct stat status {};
    if (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode)) {
        error = "not a readable file";
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(status.st_size);
    uint8_t header[bitmapFileHeaderSize] = {};
    if (size > bitmapFileHeaderSize &&
        std::fread(header, 1, sizeof header, stream) != sizeof header) {
        error = "read error";
        return false;
    }
    if (!checkFileHeader(header, size, error)) {
        return false;
    }
    try {
        file.data.resize(size - bitmapFileHeaderSize);
    } catch (const std::bad_alloc&) {
        error = "not enough memory for " + bytes(size);
        return false;
    }
    if (std::fread(file.data.data(), 1, file.data.size(), stream) != file.data.size()) {
        error = "read error";
        return false;
    }
    return true;
}

}  // namespace

const uint8_t* BitmapFile::palette() const {
    return bitsPerPixel == 8 ? data.data() + bitmapInfoHeaderSize : nullptr;
}

const uint8_t* BitmapFile::pixels() const {
    return data.data() + pixelOffset;
}

std::size_t bitmapRowStride(uint32_t bitsPerPixel, uint32_t width) {
    // Formed in 64 bits: 32 bits x 2^32 pixels still fits.
    return static_cast<std::size_t>((uint64_t{bitsPerPixel} * width + 31) / 32 * 4);
}

bool parseBitmap(const uint8_t* bytes, std::size_t size, BitmapFile& file, std::string& error) {
    if (!checkFileHeader(bytes, size, error)) {
        return false;
    }
    file.data.assign(bytes + bitmapFileHeaderSize, bytes + size);
    return describeContents(file, error);
}

bool readBitmapFile(const std::string& path, BitmapFile& file, std::string& error) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    const bool read = readOpenFile(stream, file, error);
    std::fclose(stream);
    return read && describeContents(file, error);
}

int32_t textureSide(int32_t side, int32_t driverLimit) {
    const int32_t limit = std::clamp(driverLimit, 1, textureMaxSide);
    const int32_t fitted = std::clamp(side, 1, limit);
    const double logarithm = std::log(static_cast<double>(fitted)) / std::log(2.0);
    int32_t exponent = static_cast<int32_t>(logarithm);
    if (logarithm != exponent) {
        ++exponent;
    }
    return std::max(int32_t{1} << exponent, 2);
}

std::size_t scaledImageSize(int32_t width, int32_t height, int32_t components) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
    return static_cast<std::size_t>(height) * ((rowBytes + 3) / 4 * 4);
}

bool prepareTextureImage(const BitmapFile& file, int32_t driverLimit, TextureImage& image,
                         std::string& error) {
    const bool deep = file.bitsPerPixel == 32;
    image.format = deep ? formatBgra : formatBgr;
    image.components = deep ? 4 : 3;
    image.width = textureSide(file.width, driverLimit);
    image.height = textureSide(file.height, driverLimit);
    image.needsScaling =
        file.bitsPerPixel == 8 || image.width != file.width || image.height != file.height;
    image.scalerFormat = deep ? formatBgra : formatRgb;
    image.scaledSize = scaledImageSize(image.width, image.height, image.components);
    image.expanded.clear();
    if (file.bitsPerPixel != 8) {
        return true;
    }
    const std::size_t expandedSize = bitmapRowStride(24, static_cast<uint32_t>(file.width)) *
                                     static_cast<std::size_t>(file.height);
    try {
        image.expanded.assign(expandedSize, 0);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to expand the palette (" + bytes(expandedSize) + ")";
        return false;
    }
    expandPalette(file, image.expanded.data());
    return true;
}

const uint8_t* textureSource(const BitmapFile& file, const TextureImage& image) {
    return image.expanded.empty() ? file.pixels() : image.expanded.data();
}

}  // namespace spinvale
