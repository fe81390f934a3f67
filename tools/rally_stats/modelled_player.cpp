#include "modelled_player.h"

#include <algorithm>
#include <cmath>

namespace spinvale {

namespace {

constexpr double timingErrorMs = 40;
constexpr double screenWidthsPerSecond = 2.5;
constexpr double playingDepth = 200;   // cm behind the net, where the paddle waits
constexpr double degreesPerMs = 0.25;  // the forward swing: elapsedMs / 4 degrees
constexpr double largestSwing = 70;    // degrees
constexpr double radiansPerDegree = double(1.0f / 180.0f) * 3.14;  // as the stroke turns it
constexpr double settleMs = 60;       // the side is set this long before the click
constexpr double serveAfterMs = 500;  // a look at the held ball before tossing

// Player 2's serve or shot, on its way to player 1 until it is met.
bool incoming(RallyState r) {
    return r == P2Serve || r == P2Shot || r == P1ToReturn;
}

// The swing angle that turns the incoming ball toward the middle of the far end line from
// where it is met, and the side that angle needs (+1: the last move toward larger x).
struct Stroke {
    double degrees;
    int side;
};

Stroke strokeToward(double meetX, double vx, double vz) {
    const double pace = 392 * std::max(playingDepth / double(tableLength), 0.5);
    const double wantedVX = -meetX * pace / (double(tableLength) / 2 + playingDepth);
    // The return's sideways speed is cos(angle) vx - sin(angle) vz = r cos(angle + phi).
    const double r = std::hypot(vx, vz);
    const double phi = std::atan2(vz, vx);
    const double turn = std::acos(std::clamp(wantedVX / r, -1.0, 1.0));
    const double a = turn - phi;
    const double b = -turn - phi;
    const double angle = std::fabs(a) < std::fabs(b) ? a : b;
    return {std::min(std::fabs(angle) / radiansPerDegree, largestSwing), angle >= 0 ? 1 : -1};
}

}  // namespace

const MatchState* ModelledPlayer::seen() const {
    const MatchState* latest = nullptr;
    for (const Sight& sight : sights_) {
        if (sight.atMs <= nowMs_ - traits_.reactionMs) {
            latest = &sight.state;
        }
    }
    return latest;
}

void ModelledPlayer::startPlan() {
    plan_ = Plan{};
    std::normal_distribution<double> placement(0, traits_.placementErrorCm);
    std::normal_distribution<double> timing(0, timingErrorMs);
    plan_.errorCm = placement(random_);
    plan_.timingErrorMs = timing(random_);
}

double ModelledPlayer::pointerXFor(double paddleX, const GameSettings& g) const {
    return (paddleX + double(tableWidth)) / (2 * double(tableWidth)) * g.screenWidth;
}

void ModelledPlayer::moveToward(double targetX, const GameSettings& g, uint32_t elapsedMs) {
    const double step = screenWidthsPerSecond * g.screenWidth * elapsedMs / 1000;
    const double target = std::clamp(pointerXFor(targetX, g), 0.0, g.screenWidth - 1.0);
    const double before = std::lround(pointerX_);
    pointerX_ += std::clamp(target - pointerX_, -step, step);
    const double after = std::lround(pointerX_);
    if (after != before) {
        lastMove_ = after > before ? 1 : -1;
    }
}

// The serve: the held ball brought to the centre line, a moment's look, then the toss.
void ModelledPlayer::serve(const MatchState& seenState, const GameSettings& g, UpdateInput& input) {
    moveToward(-10, g, input.elapsedMs);
    if (seenState.rallyState != lastSeenState_) {
        startPlan();
        seenServeSinceMs_ = nowMs_;
    }
    if (!plan_.clicked && nowMs_ - seenServeSinceMs_ >= serveAfterMs) {
        input.button = ButtonMessage::Pressed;
        buttonDown_ = true;
        plan_.clicked = true;
    }
}

void ModelledPlayer::meetBall(const MatchState& ball, const GameSettings& g, uint32_t elapsedMs,
                              UpdateInput& input) {
    const double cmPerMs = double(g.gameSpeed) * 0.0001;
    const double untilMeetMs = (playingDepth - ball.ballZ) / (double(ball.ballVZ) * cmPerMs);
    if (untilMeetMs < 0) {
        return;
    }
    const double meetX = ball.ballX + double(ball.ballVX) * cmPerMs * untilMeetMs + plan_.errorCm;
    const Stroke stroke = strokeToward(meetX, ball.ballVX, ball.ballVZ);
    const double meetAtMs = nowMs_ - traits_.reactionMs + untilMeetMs;
    const double clickAtMs =
        meetAtMs - stroke.degrees / degreesPerMs + plan_.timingErrorMs + clickShiftMs_;
    if (plan_.clicked) {
        return;
    }
    if (nowMs_ < clickAtMs - settleMs) {
        moveToward(meetX - 5, g, elapsedMs);  // the ball met mid-reach: x - 5 to x + 15
    } else if (lastMove_ != stroke.side) {
        pointerX_ += 2 * stroke.side;
        lastMove_ = stroke.side;
    } else if (nowMs_ >= clickAtMs) {
        input.button = ButtonMessage::Pressed;
        buttonDown_ = true;
        plan_.clicked = true;
    }
}

UpdateInput ModelledPlayer::nextInput(const Match& match, uint32_t elapsedMs) {
    const GameSettings& g = match.settings;
    sights_.push_back({nowMs_, match.state});
    nowMs_ += elapsedMs;
    while (sights_.size() > 1 && sights_[1].atMs <= nowMs_ - traits_.reactionMs) {
        sights_.pop_front();
    }
    if (pointerX_ < 0) {
        pointerX_ = pointerXFor(0, g);
    }
    UpdateInput input;
    input.elapsedMs = elapsedMs;
    if (buttonDown_) {
        input.button = ButtonMessage::Released;
        buttonDown_ = false;
    }
    const MatchState* s = seen();
    if (s != nullptr && input.button == ButtonMessage::None) {
        if (s->rallyState == P1ToServe) {
            serve(*s, g, input);
        } else if (incoming(s->rallyState) && s->ballVZ > 0) {
            if (!incoming(lastSeenState_)) {
                startPlan();
            }
            meetBall(*s, g, elapsedMs, input);
        } else {
            moveToward(-5, g, elapsedMs);  // back to the middle while the ball is away
        }
        lastSeenState_ = s->rallyState;
    }
    input.pointerX = int32_t(std::lround(pointerX_));
    input.pointerY = int32_t(std::lround(playingDepth / double(tableLength) * g.screenHeight));
    return input;
}

}  // namespace spinvale
