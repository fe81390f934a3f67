// The computer's paddles: serve set-up and toss, tracking the ball across the table, a slow
// drift toward the home depth, and a swing started when the ball arrives. Movement is per
// update, not per millisecond.
#include <cmath>

#include "operations.h"

namespace spinvale {

namespace {

constexpr double trackingFactor = double(0.05f);
constexpr double depthDrift = 0.01;
constexpr double oneThird = 0.3333333333333333;

double trackingStep(const Match& match) {
    return double(match.settings.aiSpeed) * trackingFactor;
}

// A server standing far out is brought back near the centre line before tossing.
void recentreServer(Match& match, Paddle& p) {
    if (p.x > 50 || p.x < -50) {
        p.x = randomBelow(match, 50) - 25;
    }
}

void driftTowardHome(Paddle& p) {
    if (double(p.homeZ) - 1 > p.z) {
        p.z = double(p.z) + depthDrift;
    }
    if (double(p.homeZ) + 1 < p.z) {
        p.z = double(p.z) - depthDrift;
    }
}

// The paddle is held on the side it last moved toward; which way counts as which side is
// mirrored between the two ends of the table.
void followSide(Paddle& p, PaddleSide movingToPlusX, PaddleSide movingToMinusX) {
    if (p.x > p.prevX) {
        p.side = movingToPlusX;
    }
    if (p.x < p.prevX) {
        p.side = movingToMinusX;
    }
    p.prevX = p.x;
}

void holdTossWindUp(Paddle& p) {
    p.swingPhase = SwingPhase::WindUp;
    p.side = PaddleSide::Forehand;
}

}  // namespace

void computerPaddle1(Match& match) {
    MatchState& s = match.state;
    Paddle& p = s.paddle1;
    if (s.rallyState == P1ToServe) {
        s.ballVX = 0;
        s.ballVY = 0;
        s.ballVZ = 0;
        s.paddle2.y = strikeHeight;
        s.ballZ = double(p.z) - 10;
        p.z = p.homeZ;
        s.ballY = holdHeight;
        recentreServer(match, p);
        s.ballVY = 90;
        s.rallyState = P1Toss;
        s.ballX = double(p.x) + 10;
    }
    if (s.rallyState == P1Toss) {
        holdTossWindUp(p);
        return;
    }

    const double step = trackingStep(match);
    if (double(p.x) + 3 < s.ballX) {
        p.x = double(p.x) + step;
    }
    if (s.ballX < p.x) {
        p.x = double(p.x) - step;
    }
    driftTowardHome(p);

    if (s.ballVZ > 0 && double(p.z) - double(s.ballZ) < 10 && s.ballZ > 30 &&
        p.swingPhase != SwingPhase::Forward) {
        p.swingAngle = std::fabs(double(s.ballX)) * oneThird;
        p.swingPhase = SwingPhase::Forward;
        // A short swing when the ball is on the far side of the body; a wind-up first when
        // the paddle is stretched far out on its own side.
        if (p.x > 30 && p.side == PaddleSide::Backhand) {
            p.swingAngle = double(p.swingAngle) * 0.5;
        }
        if (p.x < -30 && p.side == PaddleSide::Forehand) {
            p.swingAngle = double(p.swingAngle) * 0.5;
        }
        if (p.x > 130 && p.side == PaddleSide::Backhand) {
            p.swingPhase = SwingPhase::WindUp;
        }
        if (p.x < -130 && p.side == PaddleSide::Forehand) {
            p.swingPhase = SwingPhase::WindUp;
        }
    }
    followSide(p, PaddleSide::Forehand, PaddleSide::Backhand);
}

void computerPaddle2(Match& match) {
    MatchState& s = match.state;
    Paddle& p = s.paddle2;
    if (s.rallyState == P2ToServe) {
        s.ballY = holdHeight;
        p.z = -200;
        s.ballZ = -190;
        s.ballVX = 0;
        s.ballVY = 0;
        s.ballVZ = 0;
        s.paddle1.swingPhase = SwingPhase::Idle;
        s.paddle1.swingAngle = 0;
        recentreServer(match, p);
        s.ballVY = 90;
        s.rallyState = P2Toss;
        s.ballX = double(p.x) - 10;
    }
    if (s.rallyState == P2Toss) {
        holdTossWindUp(p);
        return;
    }

    // Player 2 waits while the ball is behind its end line.
    if (s.ballZ > -200) {
        const double step = trackingStep(match);
        if (s.ballX > p.x) {
            p.x = double(p.x) + step;
        }
        if (double(p.x) - 5 > s.ballX) {
            p.x = double(p.x) - step;
        }
        driftTowardHome(p);
    }

    if (s.ballVZ < 0 && double(s.ballZ) - double(p.z) < 10 && s.ballZ > -200 &&
        p.swingPhase != SwingPhase::Forward) {
        p.swingPhase = SwingPhase::Forward;
        p.swingAngle = randomBelow(match, 10) + std::fabs(double(s.ballX)) * oneThird;
        if (p.x > 30 && p.side == PaddleSide::Forehand) {
            p.swingAngle = double(p.swingAngle) * 0.5;
        }
        if (p.x < -30 && p.side == PaddleSide::Backhand) {
            p.swingAngle = double(p.swingAngle) * 0.5;
        }
        if (p.x > 130 && p.side == PaddleSide::Forehand) {
            p.swingPhase = SwingPhase::WindUp;
        }
        if (p.x < -130 && p.side == PaddleSide::Backhand) {
            p.swingPhase = SwingPhase::WindUp;
        }
        if (std::fabs(double(p.x)) < 10) {
            p.swingAngle = double(p.swingAngle) * 0.8;
        }
    }
    followSide(p, PaddleSide::Backhand, PaddleSide::Forehand);
}

}  // namespace spinvale
