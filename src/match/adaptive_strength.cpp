// The adaptive strength. After each point the computer's paddle speed goes up when the player
// won it and down when the computer did, by more the further the game's score has run apart;
// the computer's skill follows the speed along a ladder through the menu's presets. The walk
// settles where the player wins half the points, and it depends on nothing but the score, so
// a replay and both sides of a network game see the same strength at every update.
#include <algorithm>
#include <cstdlib>

#include "operations.h"

namespace spinvale {

namespace {

struct StrengthLevel {
    double speed;
    double skill;
};

// Well below Easy, then Easy, Normal and Hard; the speed decides, the skill is read off.
constexpr StrengthLevel ladder[] = {{15, 0.1}, {35, 0.4}, {40, 0.7}, {46, 0.8}};
constexpr int rungs = sizeof ladder / sizeof ladder[0];

double skillAt(double speed) {
    int i = 1;
    while (i < rungs - 1 && speed > ladder[i].speed) {
        ++i;
    }
    const StrengthLevel& low = ladder[i - 1];
    const StrengthLevel& high = ladder[i];
    return low.skill + (speed - low.speed) / (high.speed - low.speed) * (high.skill - low.skill);
}

}  // namespace

void adaptStrength(Match& match, int32_t score1Before, int32_t score2Before) {
    GameSettings& g = match.settings;
    const MatchState& s = match.state;
    const bool player1Scored = s.score1 != score1Before;
    if (!g.adaptiveStrength || (!player1Scored && s.score2 == score2Before)) {
        return;
    }
    // The computer meets player 1 unless only player 2 is a person.
    const bool playerIs1 = g.player1Mouse || !g.player2Keyboard;
    const int32_t lead = playerIs1 ? s.score1 - s.score2 : s.score2 - s.score1;
    const double step = 1 + std::abs(lead) * 0.5;
    const double move = playerIs1 == player1Scored ? step : -step;
    g.aiSpeed = std::clamp(double(g.aiSpeed) + move, ladder[0].speed, ladder[rungs - 1].speed);
    g.aiSkill = skillAt(g.aiSpeed);
}

// A player meets a strength near their own from the first point of the next game, instead of
// walking there again from the settings file's.
GameSettings carryAdaptedStrength(GameSettings chosen, const GameSettings& playing) {
    if (chosen.adaptiveStrength && playing.adaptiveStrength) {
        chosen.aiSkill = playing.aiSkill;
        chosen.aiSpeed = playing.aiSpeed;
    }
    return chosen;
}

}  // namespace spinvale
