// Frames drawn from known match states on a real OpenGL context, read back pixel by pixel.
// Points are found by projecting world positions with the frame's own camera; only the
// interiors of shapes are checked, never their edges.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bmp_image.h"
#include "data_paths.h"
#include "display_lists.h"
#include "frame.h"
#include "gl_test_context.h"
#include "render.h"
#include "text.h"

namespace spinvale {
namespace {

constexpr int windowWidth = 1024;
constexpr int windowHeight = 768;  // the shipped settings' screen height

struct Rgb {
    int r, g, b;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

struct Vec3d {
    double x, y, z;
};

bool near(const Rgb& c, double r, double g, double b, int tolerance) {
    return std::abs(c.r - r * 255) <= tolerance && std::abs(c.g - g * 255) <= tolerance &&
           std::abs(c.b - b * 255) <= tolerance;
}

bool pureBlue(const uint8_t* p) {
    return p[0] < 10 && p[1] < 10 && p[2] > 245;
}

const Rgb sky{204, 204, 255};
const Rgb netColour{54, 53, 228};  // 0.2118, 0.2098, 0.8941
constexpr double netAlpha = 0.77;

class SceneDrawing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (gl_.context == nullptr && gl_.failure.empty() &&
            gl_.open("scene test", windowWidth, windowHeight)) {
            lists_ = buildContext();
        }
    }

    // What the shell does on every window creation.
    static SceneLists buildContext() {
        SceneLists lists;
        setupView(windowWidth, windowHeight);
        buildModelLists(lists, gameDataPaths());
        lists.fontListBase = makeBitmapFont("Impact", 30);
        return lists;
    }

    void SetUp() override {
        if (gl_.context == nullptr) {
            GTEST_SKIP() << "no OpenGL context: " << gl_.failure;
        }
        startMatch();
    }

    // A rally in flight: the ball over player 1's half, the paddles off to the sides at
    // the two ends, clear of the points the tests look at.
    void startMatch() {
        match_ = Match{};
        match_.settings = defaultGameSettings();
        MatchState& s = match_.state;
        s.rallyState = P1Shot;
        s.ballX = -30;
        s.ballY = 95;
        s.ballZ = 50;
        s.paddle1 = placed(-50, 88.2f, 200);
        s.paddle2 = placed(50, 88.2f, -200);
    }

    static Paddle placed(float x, float y, float z) {
        Paddle p;
        p.x = x;
        p.y = y;
        p.z = z;
        return p;
    }

    void draw(const SceneLists& lists) {
        drawFrame(lists, match_);
        glFinish();
        frame_.assign(std::size_t(windowWidth) * windowHeight * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, frame_.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }

    void draw() { draw(lists_); }

    Rgb pixel(int x, int y) const {
        EXPECT_TRUE(x >= 0 && x < windowWidth && y >= 0 && y < windowHeight) << x << ", " << y;
        x = std::clamp(x, 0, windowWidth - 1);
        y = std::clamp(y, 0, windowHeight - 1);
        const uint8_t* p = &frame_[(std::size_t(y) * windowWidth + x) * 3];
        return {p[0], p[1], p[2]};
    }

    // The window pixel showing a point given in the current modelview's frame.
    static WindowPixel projectModel(const Vec3d& point) {
        GLdouble modelview[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble x = 0, y = 0, z = 0;
        gluProject(point.x, point.y, point.z, modelview, projection, viewport, &x, &y, &z);
        return {int(std::floor(x)), int(std::floor(y))};
    }

    // The window pixel showing a world point, seen from the settings' camera.
    WindowPixel project(const Vec3d& point) const {
        const GameSettings& g = match_.settings;
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(g.cameraX, g.cameraY, g.cameraZ, 0, 0, 0, 0, 1, 0);
        const WindowPixel at = projectModel(point);
        glPopMatrix();
        return at;
    }

    std::vector<GLdouble> cameraMatrix() const {
        const GameSettings& g = match_.settings;
        std::vector<GLdouble> camera(16);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(g.cameraX, g.cameraY, g.cameraZ, 0, 0, 0, 0, 1, 0);
        glGetDoublev(GL_MODELVIEW_MATRIX, camera.data());
        glPopMatrix();
        return camera;
    }

    // A point through a column-major 4 x 4 matrix without projective part.
    static Vec3d eyeSpace(const GLdouble* m, const Vec3d& p) {
        return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
    }
    static Vec3d eyeSpace(const std::vector<GLdouble>& m, const Vec3d& p) {
        return eyeSpace(m.data(), p);
    }

    Rgb pixelAt(const Vec3d& point) const {
        const WindowPixel at = project(point);
        return pixel(at.x, at.y);
    }

    // Pure blue pixels, the text colour, inside window rows [bottom, top] (left half only).
    int blueInRows(int bottom, int top) const {
        int count = 0;
        for (int y = bottom; y <= top; ++y) {
            for (int x = 0; x < windowWidth; ++x) {
                count += pureBlue(&frame_[(std::size_t(y) * windowWidth + x) * 3]) ? 1 : 0;
            }
        }
        return count;
    }

    // The table-top image's colour at a point of the playing surface: u falls from 1 at
    // x = -76.181 to 0 at x = 76.319, v rises from 0 at z = 136.885 to 1 at z = -137.115.
    static Rgb tableTexel(double x, double z) {
        BitmapFile file;
        std::string error;
        EXPECT_TRUE(readBitmapFile(gameDataPaths().find("newsv_0.bmp"), file, error)) << error;
        const int column = int((76.319 - x) / 152.5 * file.width);
        const int row = int((136.885 - z) / 274.0 * file.height);
        const std::size_t stride = bitmapRowStride(file.bitsPerPixel, file.width);
        const uint8_t* p =
            file.pixels() + row * stride + std::size_t(column) * (file.bitsPerPixel / 8);
        return {p[2], p[1], p[0]};
    }

    static inline test::GlTestContext gl_;
    static inline SceneLists lists_;
    Match match_;
    std::vector<uint8_t> frame_;
};

TEST_F(SceneDrawing, CornersShowTheSky) {
    draw();
    for (const auto& [x, y] : {std::pair{0, 0},
                               {windowWidth - 1, 0},
                               {0, windowHeight - 1},
                               {windowWidth - 1, windowHeight - 1}}) {
        EXPECT_TRUE(near(pixel(x, y), 0.8, 0.8, 1, 1)) << x << ", " << y << ": " << pixel(x, y);
    }
}

// The playing surface is drawn at 77.586 in the image's colours, untinted (white material).
TEST_F(SceneDrawing, TableTopShowsItsImage) {
    draw();
    for (const auto& [x, z] : {std::pair{30.0, 60.0}, {-40.0, 100.0}, {40.0, -60.0}}) {
        const Rgb expected = tableTexel(x, z);
        const Rgb shown = pixelAt({x, 77.586, z});
        EXPECT_TRUE(near(shown, expected.r / 255.0, expected.g / 255.0, expected.b / 255.0, 8))
            << x << ", " << z << ": " << shown << " expected " << expected;
        EXPECT_GT(shown.b, shown.r + 30) << "not the image's blue-green surface";
    }
}

// The net is blended at alpha 0.77 over the table behind it; its slab has a front and a back
// face, so the table shows through one or two layers of net, depending on which face is
// drawn first.
TEST_F(SceneDrawing, NetIsBlendedOverTheTable) {
    draw();
    const Vec3d eye{0, 300, 320};
    const Vec3d onNet{40, 88, 0};
    const double t = (eye.y - 77.586) / (eye.y - onNet.y);
    const Rgb table = tableTexel(eye.x + t * (onNet.x - eye.x), eye.z + t * (onNet.z - eye.z));
    const auto blend = [](double over, double under) {
        return netAlpha * over + (1 - netAlpha) * under;
    };
    const Rgb once{int(blend(netColour.r, table.r)), int(blend(netColour.g, table.g)),
                   int(blend(netColour.b, table.b))};
    const Rgb twice{int(blend(netColour.r, once.r)), int(blend(netColour.g, once.g)),
                    int(blend(netColour.b, once.b))};
    const Rgb shown = pixelAt(onNet);
    const auto close = [&](const Rgb& c) {
        return near(shown, c.r / 255.0, c.g / 255.0, c.b / 255.0, 6);
    };
    EXPECT_TRUE(close(once) || close(twice))
        << shown << " expected " << once << " or " << twice << " over " << table;
    EXPECT_FALSE(near(shown, netColour.r / 255.0, netColour.g / 255.0, netColour.b / 255.0, 3))
        << "the net is drawn opaque";
}

TEST_F(SceneDrawing, BallIsWhiteAndItsShadowBlackOnTheTable) {
    draw();
    const MatchState& s = match_.state;
    EXPECT_TRUE(near(pixelAt({s.ballX, s.ballY, s.ballZ}), 1, 1, 1, 1))
        << pixelAt({s.ballX, s.ballY, s.ballZ});
    EXPECT_TRUE(near(pixelAt({s.ballX, tableHeight, s.ballZ}), 0, 0, 0, 1))
        << pixelAt({s.ballX, tableHeight, s.ballZ});
}

// On the edge line the ball is not over the table: its shadow lies on the floor under it.
// Just inside, the shadow is on the table and the floor stays clear.
TEST_F(SceneDrawing, ShadowFallsToTheFloorFromTheEdgeLineOut) {
    MatchState& s = match_.state;
    s.ballY = 100;
    s.ballZ = 130;
    s.ballX = 76.25f;
    draw();
    EXPECT_TRUE(near(pixelAt({76.25, 0, 130}), 0, 0, 0, 1)) << pixelAt({76.25, 0, 130});
    EXPECT_FALSE(near(pixelAt({76.25, tableHeight, 130}), 0, 0, 0, 40))
        << pixelAt({76.25, tableHeight, 130});
    s.ballX = 76.0f;
    draw();
    EXPECT_TRUE(near(pixelAt({76.0, tableHeight, 130}), 0, 0, 0, 1))
        << pixelAt({76.0, tableHeight, 130});
    EXPECT_FALSE(near(pixelAt({76.0, 0, 130}), 0, 0, 0, 40)) << pixelAt({76.0, 0, 130});
}

// The glyphs are 30-pixel cells whose baselines sit on the rows' origins (432 and 412 for
// the scores, 372 and 352 for the result): allow 8 below for descenders and 26 above.
constexpr int scoresBottom = 412 - 8, scoresTop = 432 + 26;
constexpr int resultBottom = 352 - 8, resultTop = 372 + 26;

TEST_F(SceneDrawing, ScoresAreBlueInTheirRowsAndNothingElseIs) {
    match_.state.score1 = 7;
    match_.state.score2 = 10;
    draw();
    EXPECT_GT(blueInRows(scoresBottom, scoresTop), 100);
    EXPECT_EQ(blueInRows(0, scoresBottom - 1), 0);
    EXPECT_EQ(blueInRows(scoresTop + 1, windowHeight - 1), 0);
    for (int y = 0; y < windowHeight; ++y) {
        for (int x = 400; x < windowWidth; ++x) {
            ASSERT_FALSE(pureBlue(&frame_[(std::size_t(y) * windowWidth + x) * 3]))
                << x << ", " << y;
        }
    }
    EXPECT_EQ(match_.requests.soundCount, 0);
}

TEST_F(SceneDrawing, WonGameShowsTheResultAndTheHintAndRequestsTheJingleOnce) {
    std::vector<uint8_t> resultRows[2];
    for (const RallyState won : {P1WinsGame, P2WinsGame}) {
        startMatch();
        match_.state.rallyState = won;
        draw();
        EXPECT_GT(blueInRows(resultBottom, resultTop), 100);
        EXPECT_GT(blueInRows(scoresBottom, scoresTop), 100);
        EXPECT_EQ(blueInRows(0, resultBottom - 1), 0);
        EXPECT_EQ(blueInRows(scoresTop + 1, windowHeight - 1), 0);
        EXPECT_EQ(match_.state.winSoundPlayed, 1);
        ASSERT_EQ(match_.requests.soundCount, 1);
        EXPECT_STREQ(match_.requests.sounds[0], soundPlayerWins);
        draw();
        EXPECT_EQ(match_.requests.soundCount, 1);
        resultRows[won - P1WinsGame].assign(
            frame_.begin() + std::size_t(resultBottom) * windowWidth * 3,
            frame_.begin() + std::size_t(resultTop + 1) * windowWidth * 3);
    }
    EXPECT_NE(resultRows[0], resultRows[1]) << "both results read the same";
}

// A ball high over the table lifts both paddles to 10 above it; player 2's paddle, facing
// the camera with its red rubber, is then drawn where the table or the sky showed before.
TEST_F(SceneDrawing, HighBallOverTheTableLiftsThePaddles) {
    MatchState& s = match_.state;
    s.paddle2.z = -150;
    s.ballY = 97.2f;
    draw();
    EXPECT_EQ(s.paddle1.y, 88.2f);
    EXPECT_EQ(s.paddle2.y, 88.2f);
    s.ballY = 110;
    draw();
    EXPECT_EQ(s.paddle1.y, 120.0f);
    EXPECT_EQ(s.paddle2.y, 120.0f);
    const WindowPixel blade = projectModel({0, 0.5, 0});  // paddle 2's transform is left
    EXPECT_TRUE(near(pixel(blade.x, blade.y), 0.6902, 0.1020, 0.1020, 2))
        << pixel(blade.x, blade.y);
    s.ballY = 90;
    s.paddle1.y = s.paddle2.y = 88.2f;
    draw();
    EXPECT_FALSE(near(pixel(blade.x, blade.y), 0.6902, 0.1020, 0.1020, 30))
        << pixel(blade.x, blade.y);
}

// Turned half round, player 2's paddle shows its -y rubber to the camera: red like the
// +y one, where player 1's model has blue.
TEST_F(SceneDrawing, PaddleTwoIsRedOnBothFaces) {
    Paddle& paddle = match_.state.paddle2;
    paddle.z = -150;
    paddle.y = 120;
    for (const float swing : {0.0f, 180.0f}) {
        paddle.swingAngle = swing;
        draw();
        const WindowPixel blade = projectModel({0, 0.5, 0});
        EXPECT_TRUE(near(pixel(blade.x, blade.y), 0.6902, 0.1020, 0.1020, 2))
            << swing << ": " << pixel(blade.x, blade.y);
    }
}

// Player 2's paddle transform, left in the modelview matrix after a frame, checked against
// hand-worked world positions: the model's origin lies 10 cm along its x from the drawn
// point (x on side 0, x - 13 on side 1); the quarter turn about x stands the blade up with
// its face (+y) toward +z; the 45-degree turn and the swing turn about y.
TEST_F(SceneDrawing, PaddleTwoIsPlacedPerSideAndSwing) {
    struct Case {
        int side;
        float swing;
        Vec3d model;
        Vec3d worldOffset;  // from (x, y, z)
    };
    const double r = std::sqrt(0.5);
    const double c30 = std::cos(M_PI / 6), s30 = std::sin(M_PI / 6);
    const Case cases[] = {
        {0, 0, {10, 0, 0}, {0, 0, 0}},
        {0, 0, {10, 1, 0}, {0, 0, 1}},                // blade face toward player 1
        {0, 0, {11, 0, 0}, {r, r, 0}},                // turned 45 degrees, then stood up
        {0, 30, {11, 0, 0}, {r * c30, r, -r * s30}},  // and swung about y
        {1, 0, {-10, 0, 0}, {-13, 0, 0}},
        {1, 0, {-10, 1, 0}, {-13, 0, 1}},
        {1, 0, {-9, 0, 0}, {-13 + r, -r, 0}},               // the other way round
        {1, 30, {-9, 0, 0}, {-13 + r * c30, -r, r * s30}},  // the swing turns back
    };
    Paddle& paddle = match_.state.paddle2;
    for (const Case& k : cases) {
        paddle.side = k.side;
        paddle.swingAngle = k.swing;
        draw();
        GLdouble modelview[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        const Vec3d expected = eyeSpace(
            cameraMatrix(),
            {paddle.x + k.worldOffset.x, paddle.y + k.worldOffset.y, paddle.z + k.worldOffset.z});
        const Vec3d shown = eyeSpace(modelview, k.model);
        EXPECT_NEAR(shown.x, expected.x, 1e-3) << k.side << " " << k.swing;
        EXPECT_NEAR(shown.y, expected.y, 1e-3) << k.side << " " << k.swing;
        EXPECT_NEAR(shown.z, expected.z, 1e-3) << k.side << " " << k.swing;
    }
}

// Simple graphics: no table top, a white edge outline at 76.2, flat paddles in one colour,
// the shadow still from the ball list.
TEST_F(SceneDrawing, SimpleGraphicsDrawTheOutlineAndFlatPaddles) {
    SceneLists simple = lists_;
    useSimpleGraphics(simple);
    EXPECT_EQ(simple.paddle1List, simple.paddle2List);
    draw(simple);
    EXPECT_TRUE(near(pixelAt({76.25, 76.2, 60}), 1, 1, 1, 1)) << pixelAt({76.25, 76.2, 60});
    EXPECT_TRUE(near(pixelAt({-76.25, 76.2, -60}), 1, 1, 1, 1)) << pixelAt({-76.25, 76.2, -60});
    EXPECT_TRUE(near(pixelAt({30, 77.586, 60}), 0.8, 0.8, 1, 1)) << pixelAt({30, 77.586, 60});
    const WindowPixel paddle = projectModel({0, 0, 0});
    EXPECT_TRUE(near(pixel(paddle.x, paddle.y), 1, 0.6, 0.6, 1)) << pixel(paddle.x, paddle.y);
    const MatchState& s = match_.state;
    EXPECT_TRUE(near(pixelAt({s.ballX, tableHeight, s.ballZ}), 0, 0, 0, 1));
    GLfloat lineWidth = 0;
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    EXPECT_EQ(lineWidth, 1);
}

// 569 faces less the three hidden ones of the table top, counted as the list is compiled
// and again as OpenGL sees them in feedback mode (an orthographic box holding the scene).
TEST_F(SceneDrawing, SceneListSends566TrianglesAndLeavesBlendingAndTexturingOff) {
    const SceneListBuild build = buildSceneList(gameDataPaths());
    EXPECT_EQ(build.trianglesSent, 566);

    std::vector<GLfloat> feedback(1 << 16);
    glFeedbackBuffer(GLsizei(feedback.size()), GL_2D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-200, 200, -200, 200, -300, 300);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(build.list);
    const GLint values = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    int polygons = 0;
    for (GLint i = 0; i < values;) {
        ASSERT_EQ(feedback[i], GL_POLYGON_TOKEN) << i;
        polygons += 1;
        i += 2 + 2 * GLint(feedback[i + 1]);
    }
    EXPECT_EQ(polygons, 566);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0);
    EXPECT_EQ(colour[1], 0);
    EXPECT_EQ(colour[2], 0);
    EXPECT_EQ(colour[3], 1);
}

// A window shrunk to no height keeps the perspective's shape instead of dividing by zero.
TEST_F(SceneDrawing, ReshapeToNoHeightKeepsTheAspect) {
    GLdouble before[16], after[16];
    reshapeViewport(800, 600);
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    reshapeViewport(800, 0);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    setupView(windowWidth, windowHeight);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(after[i])) << i;
    }
    EXPECT_DOUBLE_EQ(after[0], before[0]);
    EXPECT_DOUBLE_EQ(after[5], before[5]);
    EXPECT_DOUBLE_EQ(before[5] / before[0], 800.0 / 600.0);
}

// A fullscreen toggle makes a new context and builds everything on it again: the new
// lists draw the same frame, and the old context's lists still work once it is current.
TEST_F(SceneDrawing, EverythingIsBuiltAgainOnAFreshContext) {
    draw();
    const std::vector<uint8_t> before = frame_;
    SDL_GLContext fresh = SDL_GL_CreateContext(gl_.window);
    ASSERT_NE(fresh, nullptr) << SDL_GetError();
    const SceneLists again = buildContext();
    draw(again);
    EXPECT_GT(blueInRows(scoresBottom, scoresTop), 100);
    const Rgb expected = tableTexel(30, 60);
    EXPECT_TRUE(near(pixelAt({30, 77.586, 60}), expected.r / 255.0, expected.g / 255.0,
                     expected.b / 255.0, 8))
        << pixelAt({30, 77.586, 60});
    EXPECT_EQ(frame_, before);
    SDL_GL_MakeCurrent(gl_.window, gl_.context);
    SDL_GL_DeleteContext(fresh);
    draw();
    EXPECT_EQ(frame_, before);
}

class TextDrawing : public SceneDrawing {
  protected:
    // Draws a text alone on a black screen.
    void print(const char* text) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(0, 0, 1);
        printText(lists_.fontListBase, windowHeight, 10, 319, "%s", text);
        glFinish();
        frame_.assign(std::size_t(windowWidth) * windowHeight * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, frame_.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }

    struct Box {
        int left = windowWidth, right = -1, bottom = windowHeight, top = -1;
    };

    Box blueBox() const {
        Box box;
        for (int y = 0; y < windowHeight; ++y) {
            for (int x = 0; x < windowWidth; ++x) {
                if (pureBlue(&frame_[(std::size_t(y) * windowWidth + x) * 3])) {
                    box = {std::min(box.left, x), std::max(box.right, x), std::min(box.bottom, y),
                           std::max(box.top, y)};
                }
            }
        }
        return box;
    }

    static std::vector<GLfloat> rasterAfter(const char* text) {
        printText(lists_.fontListBase, windowHeight, 10, 319, "%s", text);
        std::vector<GLfloat> position(4);
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position.data());
        return position;
    }
};

// Capitals stand on the baseline at window row 432 (row 319 from the top of 768), starting
// at column 9 plus the glyph's own small left bearing, and rise well inside the 30-pixel
// cell.
TEST_F(TextDrawing, CapitalsStandOnTheBaselineFromTheOrigin) {
    print("HE");
    const Box box = blueBox();
    EXPECT_EQ(box.bottom, 432);
    EXPECT_GE(box.left, 9);
    EXPECT_LE(box.left, 13);
    EXPECT_GE(box.top, 432 + 14);
    EXPECT_LE(box.top, 432 + 24);
    EXPECT_GT(box.right, box.left + 20) << "two glyphs side by side";
}

TEST_F(TextDrawing, DescenderReachesBelowTheBaseline) {
    print("y");
    const Box box = blueBox();
    EXPECT_LT(box.bottom, 432 - 3);
    EXPECT_GT(box.bottom, 432 - 9);
}

// Each glyph moves the raster position on by its advance; code 255 has an empty list.
TEST_F(TextDrawing, GlyphsAdvanceAndCode255DrawsNothing) {
    const std::vector<GLfloat> one = rasterAfter("H");
    const std::vector<GLfloat> two = rasterAfter("HH");
    EXPECT_EQ(one[1], 432);
    EXPECT_GT(one[0], 9 + 10);
    EXPECT_FLOAT_EQ(two[0] - one[0], one[0] - 9);
    EXPECT_EQ(rasterAfter("H\xff"), one);
    print("\xff");
    EXPECT_EQ(blueBox().right, -1);
}

// A text placed above the top of the window still gets a valid raster position (its
// glyphs are simply clipped), and placing it leaves the 3D drawing's state alone.
TEST_F(TextDrawing, PlacementKeepsMatricesViewportModeAndListBase) {
    setupView(windowWidth, windowHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glListBase(77);
    GLdouble modelview[16], projection[16], modelviewAfter[16], projectionAfter[16];
    GLint viewport[4], viewportAfter[4], mode = 0, listBase = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    printText(lists_.fontListBase, windowHeight, 10, 900, "Player 1 : %d", 3);
    GLint valid = 0;
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    EXPECT_EQ(valid, GL_TRUE);

    glGetDoublev(GL_MODELVIEW_MATRIX, modelviewAfter);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionAfter);
    glGetIntegerv(GL_VIEWPORT, viewportAfter);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_LIST_BASE, &listBase);
    EXPECT_TRUE(std::equal(modelview, modelview + 16, modelviewAfter));
    EXPECT_TRUE(std::equal(projection, projection + 16, projectionAfter));
    EXPECT_TRUE(std::equal(viewport, viewport + 4, viewportAfter));
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(listBase, 77);
    glListBase(0);
    printText(lists_.fontListBase, windowHeight, 10, 319, nullptr);  // nothing to draw
}

// Making a font leaves the unpack alignment as it was (the texture upload relies on 4) and
// keeps no font file open or mapped.
TEST_F(TextDrawing, FontBuildingRestoresAlignmentAndReleasesTheFont) {
    const uint32_t base = makeBitmapFont("Impact", 30);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    EXPECT_NE(base, 0u);
    const std::optional<FontFile> file = findFontFile("Impact");
    ASSERT_TRUE(file.has_value());
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        EXPECT_EQ(line.find(file->path), std::string::npos) << line;
    }
}

// With no font on the system the game goes on without texts: one warning, empty lists.
TEST_F(TextDrawing, NoFontAtAllLeavesTheListsEmptyWithOneWarning) {
    char config[] = "/tmp/spinvale-fonts-XXXXXX";
    const int fd = mkstemp(config);
    ASSERT_GE(fd, 0);
    const std::string noFonts = "<fontconfig></fontconfig>\n";
    ASSERT_EQ(write(fd, noFonts.data(), noFonts.size()), ssize_t(noFonts.size()));
    close(fd);
    setenv("FONTCONFIG_FILE", config, 1);
    testing::internal::CaptureStderr();
    const uint32_t base = makeBitmapFont("Impact", 30);
    const std::string warning = testing::internal::GetCapturedStderr();
    unsetenv("FONTCONFIG_FILE");
    std::remove(config);

    EXPECT_NE(warning.find("\"Impact\""), std::string::npos) << warning;
    EXPECT_EQ(warning.find('\n'), warning.size() - 1) << warning;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 0, 1);
    printText(base, windowHeight, 10, 319, "Player 1 : %d", 0);
    GLfloat raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_EQ(raster[0], 9);
    EXPECT_EQ(raster[1], 432);
}

}  // namespace
}  // namespace spinvale
