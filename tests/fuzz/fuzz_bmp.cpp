// Any bytes as a BMP file, up to the prepared texture image: nothing is read beyond the
// file, and the rows handed to the scaler or the upload hold every byte those will read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bmp_image.h"

using namespace spinvale;

namespace {

// Reads every byte OpenGL reads from a source of these sides: rows of width x components
// bytes padded to 4, as the default unpack alignment says.
volatile uint8_t sink;
void touchRows(const uint8_t* rows, int32_t width, int32_t height, int32_t components) {
    const std::size_t stride = scaledImageSize(width, 1, components);
    uint8_t sum = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < std::size_t(width) * components; ++x) {
            sum ^= rows[y * stride + x];
        }
    }
    sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    BitmapFile file;
    std::string error;
    if (!parseBitmap(data, size, file, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    const int32_t driverLimit = size > 0 ? 1 << (data[size - 1] % 16) : 512;
    TextureImage image;
    if (!prepareTextureImage(file, driverLimit, image, error)) {
        return 0;
    }
    const bool powerOfTwo = (image.width & (image.width - 1)) == 0 &&
                            (image.height & (image.height - 1)) == 0 && image.width >= 2 &&
                            image.height >= 2 && image.width <= textureMaxSide &&
                            image.height <= textureMaxSide;
    if (!powerOfTwo ||
        image.scaledSize != scaledImageSize(image.width, image.height, image.components)) {
        std::abort();
    }
    const int32_t sourceComponents = file.bitsPerPixel == 32 ? 4 : 3;
    touchRows(textureSource(file, image), file.width, file.height, sourceComponents);
    return 0;
}
