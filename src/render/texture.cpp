#include "texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <iostream>
#include <new>
#include <vector>

#include "bmp_image.h"

namespace spinvale {

static_assert(formatBgr == GL_BGR_EXT && formatBgra == GL_BGRA_EXT && formatRgb == GL_RGB);

namespace {

bool hasCurrentContext() {
    return glGetString(GL_VERSION) != nullptr;
}

// Rows go up with OpenGL's default 4-byte row alignment, which matches the padding of BMP
// rows, of the expanded palette rows and of the scaled buffer; it is never changed here.
bool uploadBitmap(const std::string& path, std::string& error) {
    if (!hasCurrentContext()) {
        error = "no current OpenGL context";
        return false;
    }
    BitmapFile file;
    if (!readBitmapFile(path, file, error)) {
        return false;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GLint driverLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverLimit);
    TextureImage image;
    if (!prepareTextureImage(file, driverLimit, image, error)) {
        return false;
    }
    const uint8_t* pixels = textureSource(file, image);
    std::vector<uint8_t> scaled;
    if (image.needsScaling) {
        try {
            scaled.resize(image.scaledSize);
        } catch (const std::bad_alloc&) {
            error = "not enough memory for the scaled image";
            return false;
        }
        const GLint result =
            gluScaleImage(image.scalerFormat, file.width, file.height, GL_UNSIGNED_BYTE, pixels,
                          image.width, image.height, GL_UNSIGNED_BYTE, scaled.data());
        if (result != 0) {
            error = std::string("cannot scale the image: ") +
                    reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(result)));
            return false;
        }
        pixels = scaled.data();
    }
    glTexImage2D(GL_TEXTURE_2D, 0, image.components, image.width, image.height, 0, image.format,
                 GL_UNSIGNED_BYTE, pixels);
    return true;
}

}  // namespace

void loadTexture(const std::string& path) {
    std::string error;
    if (!uploadBitmap(path, error)) {
        std::cerr << "spinvale: warning: " << path << ": " << error
                  << "; drawn without this texture\n";
    }
}

}  // namespace spinvale
