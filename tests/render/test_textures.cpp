// Textures loaded from BMP files onto the GL context and read back.
#include <cstdio>

#include "bmp_bytes.h"
#include "drawing_fixture.h"
#include "texture.h"

namespace spinvale::test {
namespace {

// A texture loaded from a file: width, height, alpha, filters; its image; what stderr got.
struct Loaded {
    std::array<GLint, 5> state{};
    Bytes image;
    std::string warning;
};

Loaded load(const std::string& path, bool current = true) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    SDL_GL_MakeCurrent(window, current ? context : nullptr);
    testing::internal::CaptureStderr();
    loadTexture(path);
    Loaded t{{}, {}, testing::internal::GetCapturedStderr()};
    SDL_GL_MakeCurrent(window, context);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.state[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.state[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &t.state[2]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &t.state[3]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &t.state[4]);
    t.state[2] = t.state[2] > 0;  // alpha or not: its bits depend on the driver
    const bool alpha = t.state[2];
    t.image.resize((t.state[0] * (alpha ? 4 : 3) + 3) / 4 * 4 * t.state[1]);
    glGetTexImage(GL_TEXTURE_2D, 0, alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, t.image.data());
    return t;
}

// Blue-green-red bytes come out swapped (the upload declared their order), row padding skipped;
// a single row scales to two; palette images go up in their colours, black past the palette.
TEST_F(Drawing, TexturesGoUpInTheFilesByteOrderAtPowerOfTwoSidesUpTo512) {
    const Bytes bgra = {1, 2, 3, 4, 250, 251, 252, 128};
    Bytes paletted = bmpHeaders(4, 2, 8, 16, 0, bmpPalette(16));
    append(paletted, {0, 1, 2, 3, 15, 14, 13, 16});
    const struct {
        Bytes bytes;
        std::array<GLint, 5> state;
        Bytes image;
    } cases[] = {
        {bmpHeaders(2, 2, 24, 0, 0, {0, 0, 255, 0, 255, 0, 7, 7, 255, 0, 0, 10, 20, 30, 7, 7}),
         {2, 2, false, GL_LINEAR, GL_LINEAR},
         {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 30, 20, 10, 0, 0}},
        {bmpHeaders(2, 1, 32, 0, 0, bgra),
         {2, 2, true, GL_LINEAR, GL_LINEAR},
         {3, 2, 1, 4, 252, 251, 250, 128, 3, 2, 1, 4, 252, 251, 250, 128}},
        {paletted, {4, 2, false, GL_LINEAR, GL_LINEAR}, {2,   1,   0,   12,  11,  10,  22,  21,
                                                         20,  32,  31,  30,  152, 151, 150, 142,
                                                         141, 140, 132, 131, 130, 0,   0,   0}},
        {bmpFile(5, 2, 8, 0),
         {8, 2, false, GL_LINEAR, GL_LINEAR},
         {2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0,
          2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0, 2, 1, 0}},
        {bmpFile(1024, 1024, 24, 99),
         {512, 512, false, GL_LINEAR, GL_LINEAR},
         Bytes(512 * 512 * 3, 99)}};
    for (const auto& c : cases) {
        const std::string path = temporaryFile(c.bytes);
        const Loaded t = load(path);
        std::remove(path.c_str());
        EXPECT_EQ(t.warning, "");
        EXPECT_EQ(t.state, c.state);
        EXPECT_EQ(t.image, c.image) << c.state[0] << " x " << c.state[1];
    }
}

TEST_F(Drawing, UnusableTextureFileLeavesTheTextureEmptyWithOneWarning) {
    const std::string good = temporaryFile(bmpFile(4, 4, 24));
    const std::string truncated = temporaryFile(withRows(bmpHeaders(4, 4, 24), 47));
    const std::pair<std::string, const char*> cases[] = {{truncated, "truncated pixel rows"},
                                                         {good + "-missing", "No such file"},
                                                         {good, "no current OpenGL context"}};
    for (const auto& [path, reason] : cases) {
        const Loaded t = load(path, path != good);
        EXPECT_EQ(t.state, (std::array<GLint, 5>{0, 0, 0, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR}))
            << path;
        EXPECT_EQ(t.warning.find("spinvale: warning: " + path + ": " + reason), 0u) << t.warning;
        EXPECT_EQ(t.warning.find('\n'), t.warning.size() - 1) << t.warning;
    }
    std::remove(good.c_str());
    std::remove(truncated.c_str());
}

}  // namespace
}  // namespace spinvale::test
