// The rule checker spinvale-soak runs on every update, and the settings where it found endless
// games. (Games ending in a legal win: the scoring table and the golden traces.)
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "endless_games.h"
#include "match_fixture.h"
#include "update_checks.h"

namespace spinvale {
namespace {

// No update takes a toss to a bounced return, or scores two points at once; 11-10 is no win.
TEST(MatchProperties, TheRuleCheckerNoticesBrokenRules) {
    MatchState before;
    before.rallyState = P1Toss;
    const auto broken = [&](auto change) {
        MatchState after = before;
        change(after);
        return brokenRule(before, after, 11) != "";
    };
    EXPECT_TRUE(broken([](MatchState& s) { s.rallyState = P2ToReturn; }));
    EXPECT_TRUE(broken([](MatchState& s) { s.score1 = 2; }));
    before.rallyState = P1Shot, before.score1 = before.score2 = 10;
    EXPECT_TRUE(broken([](MatchState& s) { s.score1 = 11, s.rallyState = P1WinsGame; }));
    EXPECT_TRUE(broken([](MatchState& s) { s.ballVX = std::numeric_limits<float>::infinity(); }));
}

std::string warningFor(float speed, float gravity) {
    GameSettings g = defaultGameSettings();
    g.gameSpeed = speed, g.gravityScale = gravity;
    return endlessGameWarning(g);
}

TEST(EndlessGames, WarnsWhereMostSoakGamesDidNotEndAndOnlyThere) {
    // Cells of the soak where most games never ended, one or more per kind of endless game.
    const std::tuple<float, float, const char*> endless[] = {
        {1, 12, "bounces twice"}, {4, 14, "bounces twice"}, {5, 7, "slow to a stop"},
        {6, 5, "slow to a stop"}, {9, 4, "flies long"},     {18, 6, "flies long"}};
    for (const auto& [speed, gravity, kind] : endless) {
        EXPECT_NE(warningFor(speed, gravity).find(kind), std::string::npos)
            << speed << " " << gravity;
    }
    // Cells where every game ended, the shipped settings first (the let ends crawling shots).
    const float safe[][2] = {{14, 12}, {5, 8},  {6, 6},  {7, 6},  {8, 9},
                             {9, 7},   {12, 9}, {16, 8}, {20, 9}, {5, 14}};
    for (const auto& cell : safe) {
        EXPECT_EQ(warningFor(cell[0], cell[1]), "") << cell[0] << " " << cell[1];
    }
}

}  // namespace
}  // namespace spinvale
