// Serves and returns. A human's stroke takes its direction from the swing; the computer's
// from a random aim that the look-ahead pulls back inside the table, plus an error that
// shrinks with skill. Pace and height depend on how far behind the net the striker stands
// and how low the ball is.
#include <algorithm>
#include <cmath>

#include "operations.h"

namespace spinvale {

namespace {

constexpr double degreesToRadians = double(1.0f / 180.0f);  // times 3.14, not pi
constexpr double liftFactor = 110;
constexpr double halfWidth = double(tableWidth) / 2;

// The stroke angle: the swing turned into radians, mirrored by the side the paddle is on.
double strokeAngle(const Paddle& p) {
    const double sign = p.side == PaddleSide::Forehand ? 1.0 : -1.0;
    return sign * double(p.swingAngle) * degreesToRadians * 3.14;
}

// A swing ends a little below zero; between updates a paddle at rest shows 0.
void clampSwing(Paddle& p) {
    if (p.swingAngle < 0) {
        p.swingAngle = 0;
    }
}

void serve(Match& match, const Paddle& striker, bool human, float depthSpeed) {
    MatchState& s = match.state;
    s.ballVX = human ? -100 * std::sin(strokeAngle(striker)) : randomBelow(match, 50) - 25;
    s.ballVZ = depthSpeed;
    s.ballVY = -20;
}

// The incoming ball is turned by the striker's angle and sent back with a depth and height
// speed that depend on the striker's distance from the net and how low the ball was met.
// Player 1 applies the depth factor before the low-ball boosts, player 2 after them; each
// factor is stored in single precision as it is applied.
void strikeReturn(Match& match, const Paddle& striker, bool player1) {
    MatchState& s = match.state;
    const double theta = strokeAngle(striker);
    s.ballVX = std::cos(theta) * double(s.ballVX) - std::sin(theta) * double(s.ballVZ);

    const double depth = player1 ? double(striker.z) : -double(striker.z);
    const double halfLength = double(tableLength) / 2;
    const double t = (depth - halfLength) / halfLength;
    const double ratio = std::max(depth / double(tableLength), 0.5);
    const auto applyDepthFactor = [&] {
        if (ratio > 0.6) {
            s.ballVY = double(s.ballVY) * (t + 1);
        }
    };
    s.ballVY = (1 - ratio) * liftFactor;
    if (player1) {
        applyDepthFactor();
    }
    if (s.ballY < 85) {
        s.ballVY = double(s.ballVY) * 1.2;
    }
    if (s.ballY < 80) {
        s.ballVY = double(s.ballVY) * 1.2;
    }
    if (!player1) {
        applyDepthFactor();
    }
    const double pace = ratio * 140 * 2.8;
    s.ballVZ = player1 ? -pace : pace;
    s.ballZ = s.prevBallZ;  // back in front of the paddle's plane
}

// Each look-ahead that sees the ball leave over a side line, or within 10 cm of one, pulls
// the aim in by 10; an exit inside the table ends the loop after its own nudge, and so does
// the 101st look-ahead. A look-ahead depends on nothing but the aim, so its exits are
// remembered: an aim that swings back and forth between two values is looked ahead only
// once each. Most aims land at the first look-ahead; after that, missing exits are found
// eight at a time, for the aim and the next seven it would take if it kept moving the way
// it last moved.
void pullAimInside(Match& match, FarHalf farHalf) {
    constexpr int maxPasses = 101;
    struct LookAhead {
        float aim;
        float exit;
    };
    LookAhead known[maxPasses * maxLookAheads];
    int knownCount = 0;
    MatchState& s = match.state;
    double direction = s.ballVX > 0 ? -10 : 10;
    for (int pass = 1; pass <= maxPasses; ++pass) {
        const LookAhead* hit = nullptr;
        for (int i = 0; i < knownCount && hit == nullptr; ++i) {
            hit = known[i].aim == s.ballVX ? &known[i] : nullptr;
        }
        if (hit == nullptr) {
            const int count = pass == 1 ? 1 : maxLookAheads;
            float aims[maxLookAheads];
            float exits[maxLookAheads];
            aims[0] = s.ballVX;
            for (int i = 1; i < count; ++i) {
                aims[i] = double(aims[i - 1]) + direction;
            }
            predictCrossingXs(match, s.ballX, s.ballY, s.ballZ, aims, count, s.ballVY, s.ballVZ,
                              farHalf, exits);
            for (int i = 0; i < count; ++i) {
                known[knownCount++] = {aims[i], exits[i]};
            }
            hit = &known[knownCount - count];
        }
        const float u = hit->exit;
        double nudge = 0;
        if (u > halfWidth - 10) {
            nudge = -10;
        }
        if (u < 10 - halfWidth) {
            nudge = 10;
        }
        s.ballVX = double(s.ballVX) + nudge;
        if (-halfWidth < u && u < halfWidth) {
            return;
        }
        if (nudge != 0) {
            direction = nudge;
        }
    }
}

// The computer aims at random, pulls a shot that would leave over a side line back by 10
// per look-ahead, and misses by an amount that shrinks with skill. In a practice rally it
// keeps the ball in play instead of playing to win: never the wide aims, no spin, no miss.
void aimComputerReturn(Match& match, FarHalf farHalf) {
    MatchState& s = match.state;
    const GameSettings& g = match.settings;
    const bool player2 = farHalf == FarHalf::PositiveZ;
    const bool keepInPlay = match.practice.mode == PracticeMode::Rally;

    s.aimChoice = randomBelow(match, 5);
    s.ballSpin = 0;
    if (double(g.aiSkill) > 0.5 && !keepInPlay) {
        s.ballSpin = (randomBelow(match, 200) - 100) / 100;
        if (player2) {
            s.ballSpin = (randomBelow(match, 200) - 100) / 40;
        }
    }
    s.ballVX = randomBelow(match, 150) - 75;
    if (s.aimChoice == 2 && !keepInPlay) {
        s.ballVX = 150;
    }
    if (s.aimChoice == 1 && !keepInPlay) {
        s.ballVX = -150;
    }

    pullAimInside(match, farHalf);
    const auto predictExit = [&] {
        return predictCrossingX(match, s.ballX, s.ballY, s.ballZ, s.ballVX, s.ballVY, s.ballVZ,
                                farHalf);
    };
    if (player2) {
        if (predictExit() < -20 && s.ballX < -20) {
            s.ballVX = double(s.ballVX) + randomBelow(match, 30);
        }
        if (predictExit() > 20 && s.ballX > 20) {
            s.ballVX = double(s.ballVX) - randomBelow(match, 30);
        }
    }
    if (!keepInPlay) {
        s.ballVX = double(s.ballVX) + (randomBelow(match, 100) - 50) * (1 - double(g.aiSkill));
    }
}

}  // namespace

void strokePlayer1(Match& match) {
    MatchState& s = match.state;
    Paddle& p = s.paddle1;
    const bool human = match.settings.player1Mouse;
    clampSwing(p);

    // The serve is struck on the way down, in the first update the tossed ball is below
    // the strike height.
    if (s.rallyState == P1Toss && s.ballY < strikeHeight) {
        s.rallyState = P1Serve;
        if (human) {
            s.strokeCursorX = match.input.pointerX;
        }
        requestSound(match, Sound::Paddle);
        serve(match, p, human, -210);
    }

    const bool inReach = s.ballX > double(p.x) - 5 && s.ballX < double(p.x) + 15;
    if (!(inReach && s.rallyState == P1ToReturn && s.ballZ > p.z && s.prevBallZ < p.prevZ)) {
        return;
    }
    s.rallyState = P1Shot;
    p.homeZ = 205 - randomBelow(match, 20);
    strikeReturn(match, p, true);
    requestSound(match, Sound::Paddle);
    if (human) {
        s.strokeCursorX = match.input.pointerX;
        return;
    }
    aimComputerReturn(match, FarHalf::NegativeZ);
}

void strokePlayer2(Match& match) {
    MatchState& s = match.state;
    Paddle& p = s.paddle2;
    const bool human = match.settings.player2Keyboard;
    clampSwing(p);

    if (s.rallyState == P2Toss) {
        if (!(s.ballY < strikeHeight)) {
            return;
        }
        s.rallyState = P2Serve;
        requestSound(match, Sound::Paddle);
        serve(match, p, human, 210);
    }

    // In the returns drill player 2 lets player 1's return go by, to be dead at the floor.
    const bool letsReturnsGo = match.practice.mode == PracticeMode::Returns;
    const bool inReach = s.ballX > double(p.x) - 15 && s.ballX < double(p.x) + 5;
    if (letsReturnsGo ||
        !(s.rallyState == P2ToReturn && inReach && s.ballZ < p.z && s.prevBallZ > p.prevZ)) {
        return;
    }
    s.rallyState = P2Shot;
    p.homeZ = randomBelow(match, 100) - 235;
    strikeReturn(match, p, false);
    if (human) {
        requestSound(match, Sound::Paddle);
        return;
    }
    aimComputerReturn(match, FarHalf::PositiveZ);
    requestSound(match, Sound::Paddle);
}

}  // namespace spinvale
