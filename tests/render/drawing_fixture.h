// The drawing tests' fixture: one shared GL context, a frame of a rally drawn and read back.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>

#include "display_lists.h"
#include "frame.h"
#include "overlay.h"
#include "render.h"

namespace spinvale::test {

constexpr int width = 1024, height = 768;  // the shipped settings' screen
using Rgb = std::array<int, 3>;
inline const Rgb sky{204, 204, 255}, white{255, 255, 255}, black{0, 0, 0}, blue{0, 0, 255};
inline const Rgb redRubber{176, 26, 26}, blueRubber{88, 88, 225}, net{54, 53, 228};
constexpr double drawnTop = 77.586;             // the table top's drawn surface
inline const double out = 10 * std::sqrt(0.5);  // a blade's centre lies this far out and down

inline bool near(const Rgb& a, const Rgb& b, int tolerance) {
    const auto off = [&](int i) { return std::abs(a[i] - b[i]) > tolerance; };
    return !off(0) && !off(1) && !off(2);
}

// A legacy context on a hidden window, kept open: closing it would unload the GL driver.
inline SDL_Window* window = nullptr;
inline SDL_GLContext context = nullptr;

inline bool haveContext() {
    static const bool opened = [] {
        if (SDL_VideoInit(nullptr) == 0) {
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
            window =
                SDL_CreateWindow("", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
        }
        return context != nullptr;
    }();
    return opened;
}

class Drawing : public ::testing::Test {
  protected:
    // A rally in flight: the ball over player 1's half, the paddles aside at the two ends.
    void SetUp() override {
        ASSERT_TRUE(haveContext()) << "no OpenGL context, nothing drawn: " << SDL_GetError()
                                   << " (run on a display: tests/render/with_x_server.sh)";
        if (lists_.sceneList == 0) {  // what the shell does on every window creation
            setupView(width, height);
            buildModelLists(lists_, gameDataPaths());
            lists_.font = makeBitmapFont("Impact", 30);
        }
        match_.settings = defaultGameSettings();
        MatchState& s = match_.state;
        s.rallyState = P1Shot;
        s.ballX = -30, s.ballY = 95, s.ballZ = 50;
        s.paddle1.x = -50, s.paddle1.y = 88.2f, s.paddle1.z = 200;
        s.paddle2.x = 50, s.paddle2.y = 88.2f, s.paddle2.z = -200;
    }

    void draw(const SceneLists& lists = lists_, const std::vector<PlacedRow>& page = {}) {
        drawFrame(lists, match_);
        if (!page.empty()) {
            drawPage(page, width, height, lists);
        }
        frame_.assign(std::size_t(width) * height * 4, 0);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame_.data());
    }

    Rgb pixel(int x, int y) const {
        const bool inside = x >= 0 && x < width && y >= 0 && y < height;
        EXPECT_TRUE(inside) << x << ", " << y << " is off the window";
        const uint8_t* p = &frame_[inside ? (std::size_t(y) * width + x) * 4 : 0];
        return {p[0], p[1], p[2]};
    }

    // The settings' camera at the net's centre, then a new window's perspective, column-major.
    std::array<GLdouble, 32> view() const {
        const GameSettings& g = match_.settings;
        std::array<GLdouble, 32> m;
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(g.cameraX, g.cameraY, g.cameraZ, 0, 0, 0, 0, 1, 0);
        glGetDoublev(GL_PROJECTION_MATRIX, m.data());
        glLoadIdentity();
        gluPerspective(50, double(width) / height, 5, 900);
        glGetDoublev(GL_PROJECTION_MATRIX, &m[16]);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        return m;
    }

    // The pixel showing a world point, and where the depth drawn there puts its centre.
    std::pair<Rgb, std::array<double, 3>> at(double x, double y, double z) const {
        const std::array<GLdouble, 32> m = view();
        const GLint viewport[4] = {0, 0, width, height};
        std::array<double, 3> w;
        gluProject(x, y, z, m.data(), &m[16], viewport, &w[0], &w[1], &w[2]);
        const int wx = int(std::floor(w[0])), wy = int(std::floor(w[1]));
        GLfloat depth = 0;
        glReadPixels(wx, wy, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        gluUnProject(wx + 0.5, wy + 0.5, depth, m.data(), &m[16], viewport, &w[0], &w[1], &w[2]);
        return {pixel(wx, wy), w};
    }

    Rgb pixelAt(double x, double y, double z) const { return at(x, y, z).first; }

    int pixelsNear(const Rgb& colour) const {
        int count = 0;
        for (int i = 0; i < width * height; ++i) {
            count += near(pixel(i % width, i / width), colour, 9);
        }
        return count;
    }

    static inline SceneLists lists_;
    Match match_;
    std::vector<uint8_t> frame_;
};

}  // namespace spinvale::test
