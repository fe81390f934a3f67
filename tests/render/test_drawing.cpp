// Frames drawn on a real GL context and read back, only shapes' interiors checked (any display).
#include <tuple>

#include "bmp_image.h"
#include "drawing_fixture.h"
#include "text.h"

// Not ours to free: Mesa's hidden display-list glyphs, SDL X11's screen-saver D-Bus link.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:_dri.so\nleak:libdbus-1.so\n";
}

namespace spinvale::test {
namespace {

// The table-top image's colour at a point of the surface: u is 0 at x = 76.319, v at z = 136.885.
Rgb tableTexel(double x, double z) {
    BitmapFile file;
    std::string error;
    EXPECT_TRUE(readBitmapFile(gameDataPaths().find("newsv_0.bmp"), file, error)) << error;
    const int column = int((76.319 - x) / 152.5 * file.width);
    const int row = int((136.885 - z) / 274.0 * file.height);
    const uint8_t* p = file.pixels() + row * bitmapRowStride(24, file.width) + column * 3;
    return {p[2], p[1], p[0]};
}

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
    // The net: alpha 0.77 over the table, one or two layers (its slab's faces); white to 18.7 up.
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

// A ball 4 across; its shadow on the table while strictly inside its outline, else the floor.
TEST_F(Drawing, BallIsWhiteAndItsShadowBlackOnTheTableOrTheFloor) {
    for (const auto& [x, y, z, overTable] :
         {std::array<float, 4>{-30, 95, 50, 1}, {76, 100, 130, 1}, {76.25, 100, 130, 0}}) {
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

// Row y of a screen h high is window row h - y - 17, a text one pixel left of its column. The
// frame's texts, written again in red where the frame put them, cover every blue pixel only.
TEST_F(Drawing, TheTextsReadAsTheGameWritesThemInTheirRows) {
    const TextRows rows = frameTextRows(769);
    EXPECT_EQ((std::array{rows.score1, rows.score2, rows.result, rows.exitHint, rows.newGameHint}),
              (std::array{319, 339, 379, 399, 419}));
    const WindowPixel origin = textOrigin(768, textColumn, 319);
    EXPECT_EQ(std::pair(origin.x, origin.y), std::pair(9, 432));
    for (const auto& [state, result] : {std::pair{P1Shot, ""},
                                        {P1WinsGame, "Player 1 wins the game!"},
                                        {P2WinsGame, "Player 2 wins the game!"}}) {
        match_.state.score1 = 3, match_.state.score2 = 11, match_.state.rallyState = state;
        draw();
        const int blue = pixelsNear(test::blue);
        glColor3f(1, 0, 0);
        glDepthFunc(GL_LEQUAL);
        const bool won = *result != '\0';
        for (const auto& [row, text] : {std::pair{rows.score1, "Player 1 : 3"},
                                        {rows.score2, "Player 2: 11"},
                                        {rows.result, won ? result : ""},
                                        {rows.exitHint, won ? "Press Esc to exit" : ""},
                                        {rows.newGameHint, won ? "Enter: new game" : ""}}) {
            printText(lists_.font.listBase, height, textColumn, row, "%s", text);
        }
        glDepthFunc(GL_LESS);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame_.data());
        EXPECT_GT(blue, 1000);
        EXPECT_EQ(std::pair(pixelsNear(test::blue), pixelsNear({255, 0, 0})), std::pair(0, blue))
            << state;
    }
}

// Simple graphics: flat pink paddles, no table top, a white outline at 76.2. Player 2's modelview
// takes model (x, 0, 0) to the paddle's point plus the offset (x - 13 on the backhand).
TEST_F(Drawing, PaddlesArePlacedAndShowTheirRubberOnTheirSideOrPlainPinkInSimpleGraphics) {
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
    const double r = std::sqrt(0.5), c30 = std::sqrt(0.75) * r, s30 = 0.5 * r;
    const std::tuple<PaddleSide, float, double, std::array<double, 3>> placed[] = {
        {PaddleSide::Forehand, 0, 11, {r, r, 0}},
        {PaddleSide::Forehand, 30, 11, {c30, r, -s30}},
        {PaddleSide::Backhand, 0, -9, {-13 + r, -r, 0}},
        {PaddleSide::Backhand, 30, -9, {-13 + c30, -r, s30}}};
    Paddle& p = match_.state.paddle2;
    for (const auto& [side, swing, x, offset] : placed) {
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

// The far plane is m14 / (m10 + 1). A page dims the frame to a fifth, its panel to two fifths,
// the selected bar adds a fifth of white; the menu's, too tall at 800 x 600, is set smaller.
TEST_F(Drawing, TheViewAndPagesFitTheWindowAndAPageDimsTheFrameAndBarsTheSelectedEntry) {
    GLdouble made[16], resized[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, made);
    reshapeViewport(800, 600);
    glGetDoublev(GL_PROJECTION_MATRIX, resized);
    reshapeViewport(800, 0);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    setupView(width, height);
    EXPECT_NEAR(made[14] / (made[10] + 1), 900, 0.01);
    EXPECT_NEAR(resized[14] / (resized[10] + 1), 2000, 0.01);
    EXPECT_DOUBLE_EQ(after[5] / after[0], 800.0 / 600.0);
    const std::vector<PlacedRow> rows =
        layoutPage({{LineStyle::Title, "x"}, {LineStyle::Selected, "x"}, {LineStyle::Entry, "x"}},
                   width, height, lists_);
    draw();
    const std::vector<uint8_t> under = frame_;
    draw(lists_, rows);
    // The panel is 780 wide (760 and 10 either side): x 897 just inside, x 907 just outside.
    const auto middle = [&](const PlacedRow& r) { return height - 1 - r.top - r.height / 2; };
    for (const auto& [x, y, scale, add] : {std::tuple{897, height - 1, 0.2, 0.0},
                                           {897, middle(rows[2]), 0.08, 0.0},
                                           {897, middle(rows[1]), 0.064, 51.0},
                                           {907, middle(rows[2]), 0.2, 0.0}}) {
        const uint8_t* before = &under[(std::size_t(y) * width + x) * 4];
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(pixel(x, y)[c], before[c] * scale + add, 3) << x << ", " << y;
        }
    }
    std::vector<PageLine> page(17, {LineStyle::Entry, "x"});
    page.insert(page.end(), 3, {LineStyle::Note, "x"});
    const PlacedRow tight = layoutPage(page, 800, 600, lists_).back();
    EXPECT_FALSE(layoutPage(page, 800, 768, lists_).back().compact);
    EXPECT_TRUE(tight.compact && tight.top + tight.height <= 590) << tight.top + tight.height;
}

}  // namespace
}  // namespace spinvale::test
