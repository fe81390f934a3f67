// Serves and returns: reach, pace and height by stance, the computer's spin and wind-up. (Swing
// angles, the computer's aim, correction and tracking: the golden traces.)
#include <gtest/gtest.h>

#include <tuple>

#include "match_fixture.h"

namespace spinvale {
namespace {

// A paddle at depth d on player 1's side (mirrored for 2), a ball just past it within reach.
Match returnFor(int player, float depth, float ballY, bool human) {
    Match m = plainMatch();
    const float sign = player == 1 ? 1.0f : -1.0f;
    MatchState& s = m.state;
    Paddle& p = player == 1 ? s.paddle1 : s.paddle2;
    (player == 1 ? m.settings.player1Mouse : m.settings.player2Keyboard) = human;
    s.rallyState = player == 1 ? P1ToReturn : P2ToReturn;
    p.z = p.prevZ = sign * depth;
    placeBall(s, sign * 2, ballY, sign * (depth + 1), 30, 0, sign * 200);
    s.prevBallZ = sign * (depth - 1);
    return m;
}

void strike(Match& m) {
    strokePlayer1(m);
    strokePlayer2(m);
}

TEST(StrokeReturn, PaceAndHeightByDepthAndHowLowTheBallIsMet) {
    // Depth 200: ratio 200/274, t = 63/137, height speed (1 - ratio) x 110 x (t + 1), x 1.2
    // below 85 and again below 80; nearer than the end the ratio stops at 0.5, no depth factor.
    const float cases[][4] = {{200, 90, 43.37f, 286.13f}, {200, 85.5f, 43.37f, 286.13f},
                              {200, 84, 52.04f, 286.13f}, {200, 80, 52.04f, 286.13f},
                              {200, 79, 62.45f, 286.13f}, {205, 90, 41.4f, 293.3f},
                              {120, 90, 55, 196}};
    for (const auto& c : cases) {
        for (int player : {1, 2}) {
            const float sign = player == 1 ? 1.0f : -1.0f;
            Match m = returnFor(player, c[0], c[1], true);
            strike(m);
            EXPECT_EQ(m.state.rallyState, player == 1 ? P1Shot : P2Shot);
            EXPECT_NEAR(m.state.ballVY, c[2], 0.05) << "depth " << c[0] << ", ball at " << c[1];
            EXPECT_NEAR(m.state.ballVZ, -sign * c[3], 0.05);
            EXPECT_EQ(m.state.ballZ, sign * (c[0] - 1));  // put back in front of the paddle
        }
    }
}

TEST(StrokeReturn, ReachIsStrictAndOnlyAfterTheBounce) {
    // Player 2 reaches from x - 15 to x + 5, exclusive; a ball in P1Shot has not bounced yet.
    const std::tuple<int, float, RallyState> cases[] = {
        {1, -5, P1ToReturn}, {1, 15, P1ToReturn}, {2, -15, P2ToReturn}, {1, 2, P1Shot}};
    for (const auto& [player, x, state] : cases) {
        Match m = returnFor(player, 200, 90, true);
        m.state.ballX = x, m.state.rallyState = state;
        strike(m);
        EXPECT_EQ(std::pair(m.state.rallyState, m.state.ballVZ),
                  std::pair(state, player == 1 ? 200.0f : -200.0f))
            << x;
    }
}

// Spin only above skill 0.5: at 0.5 a return draws four times (home depth, aim pick, aim,
// miss), above it player 1 draws once more for the spin and player 2 twice.
TEST(StrokeReturn, TheComputerSpinsOnlyAboveHalfSkill) {
    for (const auto& [player, skill, draws] :
         {std::tuple{1, 0.5f, 4}, {1, 0.51f, 5}, {2, 0.5f, 4}, {2, 0.51f, 6}}) {
        Match m = returnFor(player, 200, 90, false);
        m.settings.aiSkill = skill;
        Match expected = m;
        for (int i = 0; i < draws; ++i) {
            randomBelow(expected, 2);
        }
        strike(m);
        EXPECT_EQ(m.randomState, expected.randomState) << player << ", skill " << skill;
    }
}

TEST(StrokeServe, TheTossIsStruckOnTheWayDown) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P1Toss, s.ballY = 88.2f;  // not below the strike height yet
    strokePlayer1(m);
    EXPECT_EQ(s.rallyState, P1Toss);
    s.ballY = 88.1f;
    strokePlayer1(m);
    EXPECT_EQ(s.rallyState, P1Serve);  // (the serve's speeds: the golden traces)
}

// A ball to a computer paddle beyond 130 on the side away from its body: a wind-up first.
TEST(ComputerPaddles, WindUpFirstFarOutOnTheirOwnSide) {
    for (const auto& [player, x, phase] : {std::tuple{1, 130.0f, SwingPhase::Forward},
                                           {1, 130.5f, SwingPhase::WindUp},
                                           {2, 130.0f, SwingPhase::Forward},
                                           {2, 130.5f, SwingPhase::WindUp}}) {
        Match m = plainMatch();
        MatchState& s = m.state;
        const float sign = player == 1 ? 1.0f : -1.0f;
        Paddle& p = player == 1 ? s.paddle1 : s.paddle2;
        s.rallyState = player == 1 ? P2Shot : P1Shot;
        p.x = p.prevX = x, p.z = p.homeZ = sign * 175;
        p.side = player == 1 ? PaddleSide::Backhand : PaddleSide::Forehand;
        placeBall(s, x, 90, sign * 170, 0, 0, sign * 100);
        player == 1 ? computerPaddle1(m) : computerPaddle2(m);
        EXPECT_EQ(p.swingPhase, phase) << player << ": " << x;
    }
}

}  // namespace
}  // namespace spinvale
