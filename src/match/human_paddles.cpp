// The human players' paddles: player 1 follows the pointer, player 2 the arrow keys.
#include "operations.h"

namespace spinvale {

namespace {

constexpr double keyboardSpeed = double(0.4f);  // cm per millisecond
constexpr double sideDeadBand = 0.0001;         // of the screen width
constexpr float sideLockAngle = 2;              // no side change once the swing is under way

}  // namespace

// The pointer's place on the whole screen maps straight onto the table: the screen's width
// spans x from -152.5 to 152.5, its height z from the net (top) to 137 cm behind the end.
void mousePaddle1(Match& match) {
    MatchState& s = match.state;
    const GameSettings& g = match.settings;
    const double u = double(match.input.pointerX) / double(g.screenWidth);
    const double v = double(match.input.pointerY) / double(g.screenHeight);
    if (s.rallyState != P1Toss) {
        s.paddle1.x = 2 * u * double(tableWidth) - double(tableWidth);
        s.paddle1.z = v * double(tableLength);
    }
    if (s.paddle1.swingAngle < sideLockAngle) {
        if (u > double(s.prevCursorU) + sideDeadBand) {
            s.paddle1.side = PaddleSide::Forehand;
        }
        if (u < double(s.prevCursorU) - sideDeadBand) {
            s.paddle1.side = PaddleSide::Backhand;
        }
    }
    s.prevCursorU = u;
}

// Keys held together add up, so opposite arrows cancel. Up is away from the net.
void keyboardPaddle2(Match& match, uint32_t elapsedMs) {
    Paddle& p = match.state.paddle2;
    const int32_t* keys = match.input.keys;
    const double m = double(elapsedMs) * keyboardSpeed;
    if (keys[KeyLeft] == 1) {
        p.x = double(p.x) - m;
    }
    if (keys[KeyRight] == 1) {
        p.x = double(p.x) + m;
    }
    if (keys[KeyUp] == 1) {
        p.z = double(p.z) - m;
    }
    if (keys[KeyDown] == 1) {
        p.z = double(p.z) + m;
    }
    if (p.x > p.prevX) {
        p.side = PaddleSide::Backhand;
    }
    if (p.x < p.prevX) {
        p.side = PaddleSide::Forehand;
    }
    p.prevX = p.x;
}

// Paddle 2 stays within one table width of the centre line; the clamp itself is not a
// movement for the next side detection.
void clampPaddle2(Match& match) {
    Paddle& p = match.state.paddle2;
    if (p.x > tableWidth) {
        p.x = tableWidth;
        p.prevX = tableWidth;
    }
    if (p.x < -tableWidth) {
        p.x = -tableWidth;
        p.prevX = -tableWidth;
    }
}

}  // namespace spinvale
