// Any bytes as a BMP file, up to the image prepared for OpenGL: nothing is read beyond the
// file, and the rows handed on hold every byte OpenGL will read.
#include <cstdlib>

#include "bmp_image.h"

using namespace spinvale;

volatile uint8_t sink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    BitmapFile file;
    TextureImage image;
    std::string error;
    const int32_t driverLimit = size > 0 ? 1 << (data[size - 1] % 16) : 512;
    if (!parseBitmap(data, size, file, error) ||
        !prepareTextureImage(file, driverLimit, image, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    // Every byte OpenGL reads from rows of the file's sides, padded to 4 as the default
    // unpack alignment says.
    const std::size_t rowBytes = std::size_t(file.width) * (file.bitsPerPixel == 32 ? 4 : 3);
    const uint8_t* rows = textureSource(file, image);
    for (std::size_t y = 0; y < std::size_t(file.height); ++y) {
        for (std::size_t x = 0; x < rowBytes; ++x) {
            sink ^= rows[y * ((rowBytes + 3) / 4 * 4) + x];
        }
    }
    return 0;
}
