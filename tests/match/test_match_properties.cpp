// Whole computer-vs-computer games near the shipped settings: every update keeps the rules
// (the same checker as the soak) and every game ends in a legal win with the jingle
// requested. (Who serves is the scoring table's and the golden traces' business.) The
// settings warned about are those where long computer runs found games that do not end.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "endless_games.h"
#include "match_fixture.h"
#include "update_checks.h"

namespace spinvale {
namespace {

TEST(MatchProperties, ComputerGamesEndLegallyNearTheShippedSettings) {
    const float skills[] = {0.0f, 0.5f, 0.7f, 1.0f};
    const uint32_t frameRanges[][2] = {{10, 10}, {16, 17}, {10, 40}, {25, 33}, {40, 40}};
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        GameSettings g = defaultGameSettings();
        g.gameSpeed = float(13 + seed % 3);
        g.gravityScale = float(11 + (seed / 3) % 3);
        g.aiSkill = skills[seed % 4];
        g.aiSpeed = float(30 + 10 * ((seed / 2) % 3));
        g.pointsPerGame = seed % 4 == 0 ? 21 : 11;
        const auto& frames = frameRanges[seed % 5];
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        Match m = computerMatch(g, seed);
        uint32_t jitter = seed * 7919u + 13u;  // frame times from the test's own sequence
        long update = 0;
        for (; update < 3000000 && !HasFailure(); ++update) {
            jitter = jitter * 1103515245u + 12345u;
            const uint32_t elapsed = frames[0] + (jitter >> 16) % (frames[1] - frames[0] + 1);
            const MatchState before = m.state;
            stepMatch(m, command(elapsed));
            const MatchState& s = m.state;
            ASSERT_EQ(brokenRule(before, s, g.pointsPerGame), "") << "update " << update;
            if (s.rallyState == P1WinsGame || s.rallyState == P2WinsGame) {
                EXPECT_TRUE(s.winSoundPlayed);
                break;
            }
        }
        ASSERT_LT(update, 3000000) << "the game did not end";
    }
}

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
    // Cells where every game ended, the shipped settings first. With the let rule, slow shots
    // that used to crawl for ever now end their rallies.
    const float safe[][2] = {{14, 12}, {5, 8},  {6, 6},  {7, 6},  {8, 9},
                             {9, 7},   {12, 9}, {16, 8}, {20, 9}, {5, 14}};
    for (const auto& cell : safe) {
        EXPECT_EQ(warningFor(cell[0], cell[1]), "") << cell[0] << " " << cell[1];
    }
}

}  // namespace
}  // namespace spinvale
