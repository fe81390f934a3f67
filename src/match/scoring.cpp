// The rule book: who has won, and who serves next.
#include "operations.h"

namespace spinvale {

namespace {

struct GameRules {
    int32_t winningScore;
    int32_t everyPointFrom;  // from this score on both sides the service changes every point
    int32_t serviceBlock;    // otherwise it changes every this many points
};

// The service alternates between the first server and the other player.
int32_t serverFor(const MatchState& s, const GameRules& rules) {
    const int32_t n = s.score1 + s.score2;
    const int32_t other = 3 - s.firstServer;
    const bool everyPoint = s.score1 >= rules.everyPointFrom && s.score2 >= rules.everyPointFrom;
    const int32_t turns = everyPoint ? n : n / rules.serviceBlock;
    return turns % 2 == 0 ? s.firstServer : other;
}

bool practising(const Match& match) {
    return match.practice.mode != PracticeMode::None;
}

}  // namespace

// Practice keeps no score.
void awardPoint(Match& match, int32_t player) {
    if (practising(match)) {
        return;
    }
    int32_t& score = player == 1 ? match.state.score1 : match.state.score2;
    score += 1;
}

// At 0-0 the first server is drawn, on every call: a serve that reaches the floor, or a
// window re-creation, before the first point draws again. A game is won with a lead of two.
// In practice the computer's player 2 serves every ball.
void decideNextServe(Match& match) {
    MatchState& s = match.state;
    if (practising(match)) {
        s.firstServer = 2;
        s.rallyState = P2ToServe;
        return;
    }
    if (s.score1 == 0 && s.score2 == 0) {
        if (randomBelow(match, 2) == 0) {
            s.firstServer = 1;
            s.rallyState = P1ToServe;
            return;
        }
        s.firstServer = 2;
        s.rallyState = P2ToServe;
    }
    GameRules rules;
    if (match.settings.pointsPerGame == 11) {
        rules = {11, 10, 2};
    } else if (match.settings.pointsPerGame == 21) {
        rules = {21, 20, 5};
    } else {
        return;
    }
    if (s.score1 >= rules.winningScore && s.score1 - s.score2 >= 2) {
        s.rallyState = P1WinsGame;
        return;
    }
    if (s.score2 >= rules.winningScore && s.score2 - s.score1 >= 2) {
        s.rallyState = P2WinsGame;
        return;
    }
    s.rallyState = serverFor(s, rules) == 1 ? P1ToServe : P2ToServe;
}

}  // namespace spinvale
