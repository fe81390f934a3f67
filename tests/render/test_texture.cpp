// loadTexture on a real OpenGL context (see gl_test_context.h for where it comes from).
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bmp_bytes.h"
#include "data_paths.h"
#include "gl_test_context.h"
#include "texture.h"

namespace spinvale {
namespace {

using namespace test;

class Texture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { gl_.open("texture test", 16, 16); }

    void SetUp() override {
        if (gl_.context == nullptr) {
            GTEST_SKIP() << "no OpenGL context: " << gl_.failure;
        }
        glGenTextures(1, &name_);
        glBindTexture(GL_TEXTURE_2D, name_);
        char path[] = "/tmp/spinvale-texture-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = path;
    }

    void TearDown() override {
        if (gl_.context != nullptr) {
            glDeleteTextures(1, &name_);
            std::remove(path_.c_str());
        }
    }

    std::string write(const Bytes& bytes) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path_;
    }

    static GLint level(GLenum what) {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
        return value;
    }

    static GLint parameter(GLenum what) {
        GLint value = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
        return value;
    }

    // The bound texture's image in the given byte order, rows padded to 4 bytes as
    // OpenGL's default pack alignment writes them.
    static Bytes readBack(GLenum format, int components) {
        const std::size_t stride = (std::size_t(level(GL_TEXTURE_WIDTH)) * components + 3) / 4 * 4;
        Bytes pixels(stride * level(GL_TEXTURE_HEIGHT), 0);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    static std::string shipped(const std::string& name) {
        return executableDirectory() + "/data/" + name;
    }

    static inline GlTestContext gl_;
    GLuint name_ = 0;
    std::string path_;
};

// The rows go up unchanged, padding skipped, in the file's blue-green-red order: a pixel
// stored as blue 0, green 0, red 255 reads back as red.
TEST_F(Texture, FittingTwentyFourBitImageIsUploadedAsStored) {
    Bytes b = bmpHeaders(2, 2, 24);
    append(b, {0, 0, 255, 0, 255, 0, 0xAA, 0xBB, 255, 0, 0, 10, 20, 30, 0xCC, 0xDD});
    loadTexture(write(b));
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(level(GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(readBack(GL_BGR_EXT, 3), (Bytes{0, 0, 255, 0, 255, 0, 0, 0,  //
                                              255, 0, 0, 10, 20, 30, 0, 0}));
    EXPECT_EQ(readBack(GL_RGB, 3), (Bytes{255, 0, 0, 0, 255, 0, 0, 0,  //
                                          0, 0, 255, 30, 20, 10, 0, 0}));
}

TEST_F(Texture, FittingThirtyTwoBitImageKeepsItsAlpha) {
    Bytes b = bmpHeaders(2, 2, 32);
    append(b, {1, 2, 3, 4, 250, 251, 252, 128, 9, 8, 7, 0, 60, 70, 80, 255});
    loadTexture(write(b));
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 2);
    EXPECT_GT(level(GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(readBack(GL_BGRA_EXT, 4),
              (Bytes{1, 2, 3, 4, 250, 251, 252, 128, 9, 8, 7, 0, 60, 70, 80, 255}));
}

// One row is too thin for a texture: it becomes two, alpha and byte order kept.
TEST_F(Texture, SingleRowIsScaledToTwo) {
    Bytes b = bmpHeaders(2, 1, 32);
    append(b, {1, 2, 3, 4, 250, 251, 252, 128});
    loadTexture(write(b));
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(readBack(GL_BGRA_EXT, 4),
              (Bytes{1, 2, 3, 4, 250, 251, 252, 128, 1, 2, 3, 4, 250, 251, 252, 128}));
}

// A 4 x 2 palette image goes through the scaler at its own size and comes out as the
// palette's colours.
TEST_F(Texture, PaletteImageIsExpandedAtItsOwnSize) {
    Bytes b = bmpHeaders(4, 2, 8, 16);
    append(b, bmpPalette(16));
    append(b, {0, 1, 2, 3, 15, 14, 13, 12});
    loadTexture(write(b));
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(level(GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(readBack(GL_BGR_EXT, 3),
              (Bytes{0,   1,   2,   10,  11,  12,  20,  21,  22,  30,  31,  32,  //
                     150, 151, 152, 140, 141, 142, 130, 131, 132, 120, 121, 122}));
}

TEST_F(Texture, OddSidesAreScaledUpToPowersOfTwo) {
    Bytes b = bmpHeaders(3, 5, 24);
    for (int row = 0; row < 5; ++row) {
        append(b, {40, 80, 120, 40, 80, 120, 40, 80, 120, 0, 0, 0});
    }
    loadTexture(write(b));
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 8);
    const Bytes pixels = readBack(GL_BGR_EXT, 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        ASSERT_EQ(pixels[i], 40) << i;
        ASSERT_EQ(pixels[i + 1], 80) << i;
        ASSERT_EQ(pixels[i + 2], 120) << i;
    }
}

TEST_F(Texture, LargeImageIsScaledDownToFiveHundredTwelve) {
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    loadTexture(write(withRows(bmpHeaders(1024, 1024, 24), 3072 * 1024, 99)));
    const GLint expected = limit < 512 ? limit : 512;
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), expected);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), expected);
    EXPECT_EQ(readBack(GL_BGR_EXT, 3)[0], 99);
}

TEST_F(Texture, UnusableFileLeavesTheTextureEmptyWithOneWarning) {
    const std::string truncated = write(withRows(bmpHeaders(4, 4, 24), 47));
    const std::string missing = path_ + "-missing";
    for (const std::string& path : {truncated, missing}) {
        testing::internal::CaptureStderr();
        loadTexture(path);
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_EQ(level(GL_TEXTURE_WIDTH), 0);
        EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
        EXPECT_NE(warning.find(path + ": "), std::string::npos) << warning;
        EXPECT_EQ(warning.find('\n'), warning.size() - 1) << warning;
    }
}

TEST_F(Texture, WithoutCurrentContextNothingIsCalled) {
    SDL_GL_MakeCurrent(gl_.window, nullptr);
    testing::internal::CaptureStderr();
    loadTexture(shipped("newsv_0.bmp"));
    const std::string warning = testing::internal::GetCapturedStderr();
    SDL_GL_MakeCurrent(gl_.window, gl_.context);
    EXPECT_NE(warning.find("no current OpenGL context"), std::string::npos) << warning;
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 0);
}

// The table top goes up unscaled; its lines and surface are where the texture coordinates
// put them (u falls from 1 at x = -76.181 to 0 at x = 76.319, v rises from 0 at
// z = 136.885 to 1 at z = -137.115).
TEST_F(Texture, TableTopShowsLinesAndSurface) {
    loadTexture(shipped("newsv_0.bmp"));
    const GLint width = level(GL_TEXTURE_WIDTH);
    const GLint height = level(GL_TEXTURE_HEIGHT);
    ASSERT_EQ(width, 512);
    ASSERT_EQ(height, 512);
    const Bytes pixels = readBack(GL_RGB, 3);
    const auto at = [&](double x, double z) {
        const int column = static_cast<int>((76.319 - x) / 152.5 * width);
        const int row = static_cast<int>((136.885 - z) / 274.0 * height);
        const uint8_t* p = &pixels[(row * width + column) * 3];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    for (const auto& [x, z] :
         {std::pair{-75.6, 60.0}, {75.8, -60.0}, {0.0, 100.0}, {20.0, 136.0}}) {
        const std::vector<int> rgb = at(x, z);
        EXPECT_GT(rgb[0], 240) << x << ", " << z;
        EXPECT_GT(rgb[1], 240) << x << ", " << z;
        EXPECT_GT(rgb[2], 240) << x << ", " << z;
    }
    for (const auto& [x, z] : {std::pair{-38.0, 68.0}, {38.0, -68.0}}) {
        const std::vector<int> rgb = at(x, z);
        EXPECT_LT(rgb[0], 60) << x << ", " << z;
        EXPECT_GT(rgb[1], rgb[0] + 30) << x << ", " << z;
        EXPECT_GT(rgb[2], rgb[0] + 30) << x << ", " << z;
    }
}

TEST_F(Texture, FloorIsScaledToPowersOfTwo) {
    loadTexture(shipped("newsv_1.bmp"));
    EXPECT_EQ(level(GL_TEXTURE_WIDTH), 512);
    EXPECT_EQ(level(GL_TEXTURE_HEIGHT), 512);
    EXPECT_EQ(level(GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
}

}  // namespace
}  // namespace spinvale
