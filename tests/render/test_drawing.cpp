// Textures and frames drawn on a real OpenGL context and read back; only the interiors of
// shapes are checked. CTest runs each case on a private X server (with_x_server.sh); any
// display SDL can open will do, SDL_VIDEODRIVER=offscreen included.
#define SDL_MAIN_HANDLED
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "bmp_bytes.h"
#include "bmp_image.h"
#include "display_lists.h"
#include "frame.h"
#include "overlay.h"
#include "render.h"
#include "text.h"
#include "texture.h"

// Mesa keeps display-list glyph pointers out of the leak checker's sight, and SDL's X11 video
// leaves the D-Bus connection it opens to hold off the screen saver: excuse both.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:_dri.so\nleak:libdbus-1.so\n";
}

namespace spinvale::test {
namespace {

constexpr int width = 1024, height = 768;  // the shipped settings' screen
using Rgb = std::array<int, 3>;
const Rgb sky{204, 204, 255}, white{255, 255, 255}, black{0, 0, 0}, blue{0, 0, 255};
const Rgb redRubber{176, 26, 26}, blueRubber{88, 88, 225}, net{54, 53, 228};
constexpr double drawnTop = 77.586;      // the table top's drawn surface
const double out = 10 * std::sqrt(0.5);  // a blade's centre lies this far out and down

bool near(const Rgb& shown, const Rgb& expected, int tolerance) {
    return std::abs(shown[0] - expected[0]) <= tolerance &&
           std::abs(shown[1] - expected[1]) <= tolerance &&
           std::abs(shown[2] - expected[2]) <= tolerance;
}

// A legacy context on a hidden window, kept open: closing it would unload the GL driver.
SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;

bool haveContext() {
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

// The table-top image's colour at a point of the playing surface: u falls from 1 at
// x = -76.181 to 0 at x = 76.319, v rises from 0 at z = 136.885 to 1 at z = -137.115.
Rgb tableTexel(double x, double z) {
    BitmapFile file;
    std::string error;
    EXPECT_TRUE(readBitmapFile(gameDataPaths().find("newsv_0.bmp"), file, error)) << error;
    const int column = int((76.319 - x) / 152.5 * file.width);
    const int row = int((136.885 - z) / 274.0 * file.height);
    const uint8_t* p = file.pixels() + row * bitmapRowStride(24, file.width) + column * 3;
    return {p[2], p[1], p[0]};
}

// A new texture loaded from a file (context current or not): its width, height, alpha or not,
// and filters; its RGB(A) image in 4-byte rows; what loading wrote on stderr.
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

    // The settings' camera (looking at the net's centre, y up), then the perspective a new
    // window sets up (50 degrees over the 4:3 window, 5 to 900), column by column.
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

    // Text-blue pixels in window rows [bottom, top] and columns [0, right).
    int blueIn(int bottom, int top, int right = width) const {
        int count = 0;
        for (int y = bottom; y <= top; ++y) {
            for (int x = 0; x < right; ++x) {
                count += near(pixel(x, y), blue, 9);
            }
        }
        return count;
    }

    static inline SceneLists lists_;
    Match match_;
    std::vector<uint8_t> frame_;
};

// The file's blue-green-red bytes come out swapped: the upload declared their order, the row
// padding is skipped. Sides are scaled up to powers of two (a single row to two) and large
// images down to 512; palette images go up in their colours, black past the palette.
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

// A truncated or missing file, or no current context: no image, no filter set, one warning.
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

// From the shipped camera and from one moved aside, the sky fills the top corners and the
// playing surface shows its image untinted, the 2 cm edge lines white; the net over the table.
TEST_F(Drawing, CameraShowsTheSkyTheTableTopInItsImageAndTheNet) {
    for (const auto& camera : {std::array<float, 3>{0, 300, 320}, {-120, 200, 280}}) {
        GameSettings& g = match_.settings;
        g.cameraX = camera[0], g.cameraY = camera[1], g.cameraZ = camera[2];
        draw();
        EXPECT_TRUE(near(pixel(width - 1, height - 1), sky, 1));
        for (const auto& [x, z] : {std::pair{30.0, 60.0}, {-40.0, 100.0}, {40.0, -60.0}}) {
            const auto [shown, surface] = at(x, drawnTop, z);
            EXPECT_TRUE(near(shown, tableTexel(x, z), 8)) << x << ", " << z;
            EXPECT_NEAR(surface[1], drawnTop, 0.05) << x << ", " << z;
        }
        const Rgb floor = pixelAt(0, 0, 125);  // the wooden floor patch, in front of the table
        EXPECT_GT(floor[0], floor[2] + 20) << floor[0] << ", " << floor[1] << ", " << floor[2];
        for (const auto& [x, z] : {std::pair{-75.2, 60.0}, {75.3, -60.0}, {20.0, 136.0}}) {
            EXPECT_TRUE(near(pixelAt(x, drawnTop, z), white, 20)) << x << ", " << z;
        }
    }
    // From the shipped camera, the net is blended at alpha 0.77 over the table seen past it,
    // one or two layers deep (its slab's two faces, in either order); its white top band ends
    // 18.7 above the table.
    match_.settings = defaultGameSettings();
    draw();
    const auto behind = [](double x, double y) {  // the table seen past (x, y, 0)
        const double t = (300 - drawnTop) / (300 - y);
        return tableTexel(x * t, 320 - 320 * t);
    };
    Rgb once, twice, shown = pixelAt(40, 88, 0), table = behind(40, 88);
    for (int i = 0; i < 3; ++i) {
        once[i] = int(0.77 * net[i] + 0.23 * table[i]);
        twice[i] = int(0.77 * net[i] + 0.23 * once[i]);
    }
    EXPECT_TRUE(near(shown, once, 6) || near(shown, twice, 6)) << shown[2];
    EXPECT_TRUE(near(pixelAt(40, 95.7, 0), white, 1));
    EXPECT_TRUE(near(pixelAt(40, 97.5, 0), behind(40, 97.5), 8));
}

// A ball 4 across and its shadow: on the table while the ball is strictly inside its
// outline, on the floor from the edge line out.
TEST_F(Drawing, BallIsWhiteAndItsShadowBlackOnTheTableOrTheFloor) {
    const std::array<float, 4> cases[] = {
        {-30, 95, 50, 1}, {76, 100, 130, 1}, {76.25, 100, 130, 0}};
    for (const auto& [x, y, z, overTable] : cases) {
        match_.state.ballX = x, match_.state.ballY = y, match_.state.ballZ = z;
        draw();
        const double shadow = overTable ? tableHeight : 0, elsewhere = tableHeight - shadow;
        for (const double d : {-1.6, 0.0, 1.6}) {
            EXPECT_TRUE(near(pixelAt(x + d, y, z), white, 1) &&
                        near(pixelAt(x, y + d, z), white, 1))
                << x << ": " << d;
        }
        EXPECT_FALSE(near(pixelAt(x + 2.4, y, z), white, 40)) << x;
        EXPECT_TRUE(near(pixelAt(x, shadow, z), black, 1)) << x;
        EXPECT_FALSE(near(pixelAt(x, elsewhere, z), black, 40)) << x;
    }
}

// Row y of a screen of height h is window row h - y - 17, the text's baseline; texts start
// one pixel left of their column. On 768 rows (or 769: the half pixel is dropped) the scores
// stand on 432 and 412, the result and the two hints on 372, 352 and 332. 30-pixel glyph
// cells on those baselines reach 8 below and 26 above; the new-game hint alone reaches into
// rows 324 to 342. All stand at the left, the scores reaching past column 100.
TEST_F(Drawing, ScoresAlwaysAndAWonGamesResultAreBlueInTheirRows) {
    const TextRows rows = frameTextRows(769);
    EXPECT_EQ(
        std::vector<int>({rows.score1, rows.score2, rows.result, rows.exitHint, rows.newGameHint}),
        std::vector<int>({319, 339, 379, 399, 419}));
    const WindowPixel origin = textOrigin(768, textColumn, 319);
    EXPECT_EQ(std::pair(origin.x, origin.y), std::pair(9, 432));
    std::vector<std::vector<uint8_t>> resultRows;
    for (const RallyState state : {P1Shot, P1WinsGame, P2WinsGame}) {
        match_.state.rallyState = state;
        draw();
        const bool won = state != P1Shot;
        EXPECT_GT(blueIn(404, 458, 400), blueIn(404, 458, 100) + 100) << state << ": too narrow";
        EXPECT_EQ(blueIn(344, 398, 400) > 100, won) << state;
        EXPECT_EQ(blueIn(324, 342, 400) > 50, won) << state << ": the new-game hint";
        EXPECT_EQ(blueIn(404, 458, 400) + blueIn(324, 398, 400), blueIn(0, height - 1)) << state;
        if (won) {
            resultRows.emplace_back(frame_.begin() + 344 * width * 4,
                                    frame_.begin() + 399 * width * 4);
        }
    }
    EXPECT_NE(resultRows[0], resultRows[1]) << "both results read the same";
}

// The frame's texts read exactly so: written again over it in red where the frame put them
// (and hidden where it hid them), they cover every blue pixel and no other.
TEST_F(Drawing, TheTextsReadAsTheGameWritesThem) {
    match_.state.score1 = 3, match_.state.score2 = 11, match_.state.rallyState = P2WinsGame;
    draw();
    const int blue = blueIn(0, height - 1);
    const TextRows rows = frameTextRows(height);
    glColor3f(1, 0, 0);
    glDepthFunc(GL_LEQUAL);
    for (const auto& [row, text] : {std::pair{rows.score1, "Player 1 : 3"},
                                    {rows.score2, "Player 2: 11"},
                                    {rows.result, "Player 2 wins the game!"},
                                    {rows.exitHint, "Press Esc to exit"},
                                    {rows.newGameHint, "Enter: new game"}}) {
        printText(lists_.font.listBase, height, textColumn, row, "%s", text);
    }
    glDepthFunc(GL_LESS);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame_.data());
    int red = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            red += near(pixel(x, y), {255, 0, 0}, 9);
        }
    }
    EXPECT_GT(blue, 1000);
    EXPECT_EQ(std::pair(blueIn(0, height - 1), red), std::pair(0, blue));
}

// A blade's centre lies 7.07 cm outward (+x for player 1, -x for player 2) and down from the
// paddle's point, its red rubber toward player 1's end; turned half round, player 1's shows
// its blue rubber, player 2's its other red one. Simple graphics draw both paddles flat and
// pink, no table top and a white edge outline at 76.2.
TEST_F(Drawing, PaddlesShowTheirRubberOnTheirSideOrPlainPinkInSimpleGraphics) {
    SceneLists simple = lists_;
    useSimpleGraphics(simple);
    const std::tuple<int, float, double, Rgb> cases[] = {{1, 0, out, redRubber},
                                                         {1, 180, -out, blueRubber},
                                                         {2, 0, -out, redRubber},
                                                         {2, 180, out, redRubber}};
    for (const auto& [player, swing, dx, colour] : cases) {
        SetUp();
        Paddle& p = player == 1 ? match_.state.paddle1 : match_.state.paddle2;
        p.x = player == 1 ? -40 : 40, p.y = 120, p.z = player == 1 ? 150 : -150;
        p.swingAngle = swing;
        draw();
        EXPECT_TRUE(near(pixelAt(p.x + dx, p.y - out, p.z), colour, 2)) << player << " " << swing;
        draw(simple);
        EXPECT_TRUE(near(pixelAt(p.x + dx, p.y - out, p.z), {255, 153, 153}, 1)) << player;
    }
    EXPECT_TRUE(near(pixelAt(76.25, 76.2, 60), white, 1) &&
                near(pixelAt(-76.25, 76.2, -60), white, 1));
    EXPECT_TRUE(near(pixelAt(30, drawnTop, 60), sky, 1));
}

// Player 2's transform, left in the modelview matrix: the model's origin lies 10 cm along its
// x from the drawn point (x forehand, x - 13 backhand); a quarter turn about x stands the
// blade up, the 45-degree turn and the swing (flipped on the backhand) turn about y.
TEST_F(Drawing, PaddleTwoIsPlacedPerSideAndSwing) {
    const double r = std::sqrt(0.5), c30 = std::sqrt(0.75) * r, s30 = 0.5 * r;
    // The model point (x, 0, 0) lands at the paddle's point plus the offset.
    const std::tuple<PaddleSide, float, double, std::array<double, 3>> cases[] = {
        {PaddleSide::Forehand, 0, 11, {r, r, 0}},
        {PaddleSide::Forehand, 30, 11, {c30, r, -s30}},
        {PaddleSide::Backhand, 0, -9, {-13 + r, -r, 0}},
        {PaddleSide::Backhand, 30, -9, {-13 + c30, -r, s30}}};
    Paddle& p = match_.state.paddle2;
    for (const auto& [side, swing, x, offset] : cases) {
        p.side = side, p.swingAngle = swing;
        draw();
        GLdouble m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        const auto v = view();
        const double w[] = {p.x + offset[0], p.y + offset[1], p.z + offset[2]};
        for (int i = 0; i < 3; ++i) {
            const double expected = v[i] * w[0] + v[4 + i] * w[1] + v[8 + i] * w[2] + v[12 + i];
            EXPECT_NEAR(m[i] * x + m[12 + i], expected, 1e-3) << swing;
        }
    }
}

// A page dims the frame to a fifth, stands on a panel that darkens that to two fifths, and
// lights the selected entry's bar by a fifth of white.
TEST_F(Drawing, PageDimsTheFrameUnderADarkerPanelAndBarsTheSelectedEntry) {
    const std::vector<PlacedRow> rows =
        layoutPage({{LineStyle::Title, "x"}, {LineStyle::Selected, "x"}, {LineStyle::Entry, "x"}},
                   width, height, lists_);
    draw();
    const std::vector<uint8_t> under = frame_;
    draw(lists_, rows);
    const int x = width / 2 + 300;  // inside the panel, right of the rows' texts
    const auto middle = [&](const PlacedRow& r) { return height - 1 - r.top - r.height / 2; };
    for (const auto& [y, scale, add] : {std::tuple{height - 1, 0.2, 0.0},
                                        {middle(rows[2]), 0.08, 0.0},
                                        {middle(rows[1]), 0.064, 51.0}}) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(pixel(x, y)[c], under[(std::size_t(y) * width + x) * 4 + c] * scale + add,
                        3)
                << y;
        }
    }
}

// A window shrunk to no height keeps the perspective's shape instead of dividing by zero.
TEST_F(Drawing, ReshapeToNoHeightKeepsTheAspect) {
    GLdouble after[16];
    reshapeViewport(800, 600);
    reshapeViewport(800, 0);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    setupView(width, height);
    EXPECT_DOUBLE_EQ(after[5] / after[0], 800.0 / 600.0);
}

}  // namespace
}  // namespace spinvale::test
