// Ball flight: the rally assists, side-spin, the flight step and the table, floor and net
// contacts. The contacts judge the rally.
#include <cmath>

#include "operations.h"

namespace spinvale {

namespace {

// Single-precision constants of the flight step, widened to double for the arithmetic.
constexpr double gravityFactor = double(0x1.1b1d94p-10f);  // 0.0010800000746, a step above 0.00108
constexpr double positionFactor = double(0.0001f);
constexpr double spinGain = double(0.01f);
constexpr double dragFactor = double(0.0002f);
constexpr double depthSlowdown = double(1.0f / 15.0f);

bool shotInFlight(const MatchState& s) {
    return s.rallyState == P1Shot || s.rallyState == P2Shot;
}

// Drag moves a value toward zero; zero itself is pushed to -d.
float dragged(float value, double d) {
    return value < 0 ? double(value) + d : double(value) - d;
}

}  // namespace

// A rising shot that would meet the net gets extra lift, except close to the net itself.
void liftOverNet(Match& match, NetPrediction prediction, uint32_t elapsedMs) {
    MatchState& s = match.state;
    if (prediction == NetPrediction::MeetsNet && s.ballVY > 0 && shotInFlight(s) &&
        (s.ballZ > 10 || s.ballZ < -10)) {
        s.ballVY = double(elapsedMs) * 0.5 + double(s.ballVY);
    }
}

// Two successive tests, not alternatives: a small positive depth speed is taken below zero
// by the first and brought back by the second.
void slowDepth(Match& match, uint32_t elapsedMs) {
    MatchState& s = match.state;
    if (!shotInFlight(s)) {
        return;
    }
    const double step = double(elapsedMs) * depthSlowdown;
    if (s.ballVZ > 0) {
        s.ballVZ = double(s.ballVZ) - step;
    }
    if (s.ballVZ < 0) {
        s.ballVZ = step + double(s.ballVZ);
    }
}

// Spin lives only while a shot flies. Human player 1 puts it on by moving the pointer
// sideways between the stroke and the moment the ball crosses z = 100 toward the net.
void updateSpin(Match& match) {
    MatchState& s = match.state;
    const GameSettings& g = match.settings;
    if (!shotInFlight(s)) {
        s.ballSpin = 0;
    }
    if (s.rallyState == P1Shot && g.player1Mouse && s.ballZ < 100 && s.prevBallZ > 100) {
        const int64_t travel = int64_t(s.strokeCursorX) - int64_t(match.input.pointerX);
        s.ballSpin = double(travel) / double(g.screenWidth) * double(g.spinFactor);
    }
}

void advanceBall(Match& match, uint32_t elapsedMs) {
    MatchState& s = match.state;
    const GameSettings& g = match.settings;
    const double t = double(elapsedMs) * double(g.gameSpeed);
    s.ballVY = double(s.ballVY) - t * double(g.gravityScale) * gravityFactor;
    s.ballX = double(s.ballX) + t * double(s.ballVX) * positionFactor;
    s.ballY = double(s.ballY) + t * double(s.ballVY) * positionFactor;
    s.ballZ = double(s.ballZ) + t * double(s.ballVZ) * positionFactor;
    s.ballVX = double(s.ballVX) + t * double(s.ballSpin) * spinGain;
    const double d = t * dragFactor;
    s.ballVY = dragged(s.ballVY, d);
    s.ballVX = dragged(s.ballVX, d);
    s.ballVZ = dragged(s.ballVZ, d);
    s.ballSpin = dragged(s.ballSpin, d);
}

// A serve's first bounce is never judged by where it lands; from then on a shot that
// bounces on its striker's own half loses the point, and one that bounces on the far half
// while still heading away must be returned.
void bounceOnTable(Match& match) {
    MatchState& s = match.state;
    const bool touches = s.ballX > -double(tableWidth) / 2 && s.ballX < double(tableWidth) / 2 &&
                         s.ballZ > -double(tableLength) / 2 && s.ballZ < double(tableLength) / 2 &&
                         s.ballY < ballRestHeight;
    if (!touches) {
        return;
    }
    s.ballY = bounceHeight;
    s.ballVY = -s.ballVY;
    if (s.rallyState == P1Shot && s.ballZ > 0) {
        awardPoint(match, 2);
        decideNextServe(match);
    }
    if (s.rallyState == P2Shot && s.ballZ < 0) {
        awardPoint(match, 1);
        decideNextServe(match);
    }
    if (s.ballVZ < 0 && s.rallyState == P1Shot && s.ballZ < 0) {
        s.rallyState = P2ToReturn;
    }
    if (s.ballVZ > 0 && s.rallyState == P2Shot && s.ballZ > 0) {
        s.rallyState = P1ToReturn;
    }
    if (s.rallyState == P1Serve) {
        s.rallyState = P1Shot;
    } else if (s.rallyState == P2Serve) {
        s.rallyState = P2Shot;
    }
    requestSound(match, Sound::Table);
}

// The floor ends every rally: the striker whose ball was never returned or never landed
// loses the point, and in any other state the serve is simply decided again.
void bounceOnFloor(Match& match) {
    MatchState& s = match.state;
    if (!(s.ballY < 0)) {
        return;
    }
    s.ballVY = -s.ballVY;
    if (s.rallyState == P1Shot || s.rallyState == P1ToReturn) {
        awardPoint(match, 2);
    } else if (s.rallyState == P2Shot || s.rallyState == P2ToReturn) {
        awardPoint(match, 1);
    }
    decideNextServe(match);
}

// The net stops a ball that crossed z = 0 below its top, across the whole width: the ball is
// put back where it was and drops on its own side with most of its speed gone.
void netCollision(Match& match) {
    MatchState& s = match.state;
    const bool crossed = (s.prevBallZ > 0 && s.ballZ < 0) || (s.prevBallZ < 0 && s.ballZ > 0);
    if (!crossed || !(s.ballY < netTopHeight)) {
        return;
    }
    s.ballVZ = -double(s.ballVZ) * 0.05;
    s.ballZ = s.prevBallZ;
    s.ballVY = double(s.ballVY) * 0.2;
    s.ballVX = double(s.ballVX) * 0.2;
}

}  // namespace spinvale
