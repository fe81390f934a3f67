// The frame update: the fixed order in which the match moves, and the swing animation.
#include <cmath>

#include "operations.h"

namespace spinvale {

namespace {

bool keyDown(const Match& match, int key) {
    return match.input.keys[key] == 1;
}

// A waiting serve is held 10 cm nearer the net than the server's paddle and 10 cm toward +x.
void holdServe(Match& match) {
    MatchState& s = match.state;
    const bool p1 = s.rallyState == P1ToServe;
    if (!p1 && s.rallyState != P2ToServe) {
        return;
    }
    const Paddle& server = p1 ? s.paddle1 : s.paddle2;
    s.ballSpin = 0;
    s.ballVX = 0;
    s.ballVY = 0;
    s.ballVZ = 0;
    s.ballZ = p1 ? double(server.z) - 10 : double(server.z) + 10;
    s.ballY = holdHeight;
    s.ballX = double(server.x) + 10;
}

// Paddle 1's wind-up is one degree per update; everything else moves q = elapsedMs / 4
// degrees. A phase that ends hands over to the next phase's step in the same update.
void stepSwing(Paddle& p, double windUpStep, double q) {
    if (p.swingPhase == SwingPhase::WindUp) {
        p.swingAngle = double(p.swingAngle) - windUpStep;
        if (p.swingAngle < 0) {
            p.swingPhase = SwingPhase::Forward;
        }
    }
    if (p.swingPhase == SwingPhase::Forward) {
        p.swingAngle = double(p.swingAngle) + q;
        if (p.swingAngle > 70) {
            p.swingPhase = SwingPhase::Recovery;
        }
    }
    if (p.swingPhase == SwingPhase::Recovery) {
        p.swingAngle = double(p.swingAngle) - q;
        if (p.swingAngle < 0) {
            p.swingPhase = SwingPhase::Idle;
        }
    }
}

// A ball in play that hardly moves along the table (|ballVZ| < 5) for three seconds can
// never be returned: the rally is a let, played again from the serve the score calls for,
// as a new window would. No point, no sound.
void callLetOnStall(Match& match, uint32_t elapsedMs) {
    MatchState& s = match.state;
    const RallyState r = s.rallyState;
    const bool inPlay = r == P1Serve || r == P2Serve || r == P1Shot || r == P2Shot ||
                        r == P1ToReturn || r == P2ToReturn;
    if (!inPlay || !(std::fabs(double(s.ballVZ)) < 5)) {
        s.stallMs = 0;
        return;
    }
    const int64_t stalled = int64_t(s.stallMs) + elapsedMs;
    if (stalled < 3000) {
        s.stallMs = int32_t(stalled);
        return;
    }
    s.stallMs = 0;
    initMatchState(match);
}

}  // namespace

void stepSwings(Match& match, uint32_t elapsedMs) {
    const double q = elapsedMs / 4;
    stepSwing(match.state.paddle1, 1, q);
    stepSwing(match.state.paddle2, q, q);
}

void initMatchState(Match& match) {
    MatchState& s = match.state;
    s.paddle1.swingPhase = SwingPhase::Recovery;
    s.paddle2.swingPhase = SwingPhase::Recovery;
    s.paddle2.z = -200;
    s.paddle1.z = 200;
    s.paddle2.y = strikeHeight;
    s.paddle1.y = strikeHeight;
    s.ballY = strikeHeight;
    decideNextServe(match);
    match.input.leftButton = 0;
    s.paddle1.homeZ = 175;
}

void updateMatch(Match& match, uint32_t elapsedMs) {
    MatchState& s = match.state;
    const GameSettings& g = match.settings;
    InputState& in = match.input;
    const RallyState onEntry = s.rallyState;

    if (g.player1Mouse && in.leftButton != 0 && onEntry != P1ToServe) {
        s.paddle1.swingPhase = SwingPhase::WindUp;
    }
    holdServe(match);
    // The press that tosses is used up by the toss: it starts no swing, the next one does.
    if (in.leftButton != 0 && onEntry == P1ToServe && g.player1Mouse) {
        s.rallyState = P1Toss;
        s.ballVY = 90;
        in.leftButton = 0;
    }
    if (g.player2Keyboard && onEntry == P2ToServe && keyDown(match, KeyEnter)) {
        s.rallyState = P2Toss;
        s.ballVY = 90;
        in.keys[KeyEnter] = 0;
        in.enterUsedByToss = true;
    }

    const NetPrediction net =
        predictNetHit(match, s.ballX, s.ballY, s.ballZ, s.ballVX, s.ballVY, s.ballVZ);
    liftOverNet(match, net, elapsedMs);
    slowDepth(match, elapsedMs);
    if (keyDown(match, KeyEnter)) {
        s.paddle2.swingPhase = SwingPhase::WindUp;
    }
    updateSpin(match);

    s.prevBallZ = s.ballZ;
    s.paddle1.prevZ = s.paddle1.z;
    s.paddle2.prevZ = s.paddle2.z;
    stepSwings(match, elapsedMs);

    advanceBall(match, elapsedMs);
    bounceOnTable(match);
    bounceOnFloor(match);

    if (g.player2Keyboard) {
        keyboardPaddle2(match, elapsedMs);
    } else {
        computerPaddle2(match);
    }
    if (g.player1Mouse) {
        mousePaddle1(match);
    } else {
        computerPaddle1(match);
    }
    clampPaddle2(match);

    strokePlayer1(match);
    strokePlayer2(match);
    netCollision(match);

    if (keyDown(match, KeyEscape)) {
        requestQuit(match);
    }
    if (keyDown(match, KeyF1)) {
        requestToggleFullscreen(match);
    }
    callLetOnStall(match, elapsedMs);
}

}  // namespace spinvale
