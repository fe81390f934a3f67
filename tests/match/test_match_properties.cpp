// Whole computer-vs-computer games near the shipped settings: every update keeps the rules
// (the same checker as the soak) and every game ends in a legal win with the jingle
// requested. (Who serves is the scoring table's and the golden traces' business.)
#include <gtest/gtest.h>

#include <limits>

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

TEST(MatchProperties, TheRuleCheckerNoticesBrokenRules) {
    MatchState before;
    before.rallyState = P1Toss;
    MatchState after = before;
    after.rallyState = P2ToReturn;  // no update takes a toss to a bounced return
    EXPECT_NE(brokenRule(before, after, 11), "");
    after = before;
    after.score1 = 2;  // two points at once
    EXPECT_NE(brokenRule(before, after, 11), "");
    before.rallyState = P1Shot;
    before.score1 = 10;
    before.score2 = 10;
    after = before;
    after.score1 = 11;
    after.rallyState = P1WinsGame;  // 11-10 is no win
    EXPECT_NE(brokenRule(before, after, 11), "");
    after = before;
    after.ballVX = std::numeric_limits<float>::infinity();
    EXPECT_NE(brokenRule(before, after, 11), "");
}

}  // namespace
}  // namespace spinvale
