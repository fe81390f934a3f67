// The statistics of a game, from the changes of the rally's state that each update makes.
#include "game_statistics.h"

#include <algorithm>
#include <cmath>

namespace spinvale {

namespace {

// A velocity of 10000 is 1 cm per scaled millisecond; 1 cm per millisecond is 36 km/h.
float speedKmh(const Match& m) {
    const MatchState& s = m.state;
    const double v = std::sqrt(double(s.ballVX) * s.ballVX + double(s.ballVY) * s.ballVY +
                               double(s.ballVZ) * s.ballVZ);
    return v * double(m.settings.gameSpeed) * 0.0001 * 36;
}

}  // namespace

void GameStatistics::countStroke(int striker, bool isReturn, const Match& after) {
    striker_ = striker;
    strokeIsReturn_ = isReturn;
    spinCounted_ = false;
    rally_ = isReturn ? rally_ + 1 : 1;
    float& fastest = players_[striker - 1].fastestKmh;
    fastest = std::max(fastest, speedKmh(after));
    if (!isReturn) {
        server_ = striker;
    }
}

void GameStatistics::count(const Match& before, const Match& after) {
    const RallyState from = before.state.rallyState;
    const MatchState& s = after.state;
    const RallyState to = s.rallyState;
    if ((from == P1Toss && to == P1Serve) || (from == P2Toss && to == P2Serve)) {
        countStroke(from == P1Toss ? 1 : 2, false, after);
    }
    if ((from == P1ToReturn && to == P1Shot) || (from == P2ToReturn && to == P2Shot)) {
        countStroke(from == P1ToReturn ? 1 : 2, true, after);
    }
    const bool landed =
        (from == P1Shot && to == P2ToReturn) || (from == P2Shot && to == P1ToReturn);
    if (landed && strokeIsReturn_) {
        ++players_[striker_ - 1].returnsLanded;
    }
    const bool strikersShot = (to == P1Shot && striker_ == 1) || (to == P2Shot && striker_ == 2);
    if (strikersShot && !spinCounted_ && std::fabs(double(s.ballSpin)) >= sideSpinAtLeast) {
        ++players_[striker_ - 1].spinStrokes;
        spinCounted_ = true;
    }
    const int winner = s.score1 > before.state.score1 ? 1 : s.score2 > before.state.score2 ? 2 : 0;
    if (winner != 0) {
        PlayerStatistics& p = players_[winner - 1];
        ++(winner == server_ ? p.pointsOnOwnServe : p.pointsOnOtherServe);
        longestRally_ = std::max(longestRally_, rally_);
    }
}

}  // namespace spinvale
