// The statistics of a game against two points worked by hand, update by update.
#include <gtest/gtest.h>

#include <tuple>

#include "game_statistics.h"
#include "match_fixture.h"

namespace spinvale {
namespace {

// A row an update: the state after it, the ball's speed and spin, who scored (10000: 72 km/h).
TEST(GameStatistics, CountTwoPointsWorkedByHand) {
    const std::tuple<RallyState, float, float, float, int> updates[] = {
        {P1Toss, 0, 0, 0, 0},          {P1Serve, 0, -10000, 0, 0},  // 72 km/h
        {P1Shot, 0, -10000, 0, 0},                                  // the serve's first bounce
        {P2ToReturn, 0, -9000, 0, 0},   // a serve lands: no return landed
        {P2Shot, 3000, 4000, 0.7f, 0},  // a spun return, 36 km/h
        {P2Shot, 3000, 4000, 0.8f, 0},  // spun once only
        {P1ToReturn, 0, 4000, 0, 0},    // it lands
        {P1Shot, 0, -15000, -0.5f, 0},  // 108 km/h, spun (just) the other way; a rally of 3
        {P1ToServe, 0, 0, 0, 2},        // player 2 wins on player 1's serve
        {P2Toss, 0, 0, 0, 0},          {P2Serve, 0, 6000, 0.49f, 0},  // 43.2 km/h, hardly spun
        {P2Shot, 0, 6000, 0, 0},       {P1ToReturn, 0, 6000, 0, 0},  {P1Shot, 0, -1000, 0, 0},
        {P2ToServe, 0, 0, 0, 2},  // player 2 wins on its own serve, player 1 struck last
    };
    Match m = plainMatch();
    m.settings.gameSpeed = 2;
    GameStatistics stats;
    for (const auto& [state, vx, vz, spin, scorer] : updates) {
        const Match before = m;
        MatchState& s = m.state;
        s.rallyState = state, s.ballVX = vx, s.ballVY = 0, s.ballVZ = vz, s.ballSpin = spin;
        s.score1 += scorer == 1, s.score2 += scorer == 2;
        stats.count(before, m);
    }
    const PlayerStatistics &p1 = stats.player(1), &p2 = stats.player(2);
    EXPECT_EQ(std::tuple(p1.pointsOnOwnServe, p1.pointsOnOtherServe, p1.returnsLanded,
                         p1.spinStrokes, p1.fastestKmh),
              std::tuple(0, 0, 0, 1, 108.0f));
    EXPECT_EQ(
        std::tuple(p2.pointsOnOwnServe, p2.pointsOnOtherServe, p2.returnsLanded, p2.spinStrokes),
        std::tuple(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(p2.fastestKmh, 43.2f);
    EXPECT_EQ(stats.longestRally(), 3);
}

}  // namespace
}  // namespace spinvale
