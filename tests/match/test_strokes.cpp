// Serves and returns: reach, pace and height by stance, the human angle and the computer aim;
// the computer paddles' tracking and wind-up far out. (Human serves at many swing angles and
// the computer's swing angles are followed by the golden traces.)
#include <gtest/gtest.h>

#include <tuple>

#include "match_fixture.h"

namespace spinvale {
namespace {

// A paddle at depth d on player 1's side (mirrored for player 2) and a ball from the other
// end that just passed its plane within reach.
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
    // Depth 200: ratio 200/274, t = 63/137, height speed (1 - ratio) x 110 x (t + 1), boosted
    // by 1.2 below 85 and again below 80; depth 205 likewise; nearer than the end the ratio
    // stops at 0.5 and no depth factor applies.
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

// A human's return is turned by the swing: the angle is swing / 180 x 3.14 (not pi), turned
// the other way on the backhand, and the incoming (30, vz) leaves with vx = cos 0.52333 x 30
// - sin 0.52333 x vz at 30 degrees (0.86616 and 0.49977), vz 200 toward player 1, -200 to 2.
TEST(StrokeReturn, AHumansReturnIsTurnedByTheSwingAndTheSide) {
    const std::tuple<int, PaddleSide, float> cases[] = {{1, PaddleSide::Forehand, -73.969f},
                                                        {1, PaddleSide::Backhand, 125.939f},
                                                        {2, PaddleSide::Forehand, 125.939f},
                                                        {2, PaddleSide::Backhand, -73.969f}};
    for (const auto& [player, side, vx] : cases) {
        Match m = returnFor(player, 200, 90, true);
        Paddle& p = player == 1 ? m.state.paddle1 : m.state.paddle2;
        p.swingAngle = 30, p.side = side;
        strike(m);
        EXPECT_NEAR(m.state.ballVX, vx, 0.005) << player << ", side " << int(side);
    }
}

TEST(StrokeReturn, ReachIsStrictAndOnlyAfterTheBounce) {
    for (float x : {-5.0f, 15.0f}) {
        Match m = returnFor(1, 200, 90, true);
        m.state.ballX = x;
        strokePlayer1(m);
        EXPECT_EQ(m.state.rallyState, P1ToReturn) << x;
    }
    Match shot = returnFor(1, 200, 90, true);
    shot.state.rallyState = P1Shot;  // not bounced yet: no return
    strokePlayer1(shot);
    EXPECT_EQ(shot.state.ballVZ, 200.0f);
    Match m2 = returnFor(2, 200, 90, true);
    m2.state.ballX = -15;  // player 2 reaches from x - 15 to x + 5, exclusive
    strike(m2);
    EXPECT_EQ(m2.state.rallyState, P2ToReturn);
}

// The aim correction as one look-ahead after the other, written out plainly.
float correctedAim(const Match& m, float aim, FarHalf farHalf) {
    const MatchState& s = m.state;
    for (int pass = 1;; ++pass) {
        const float u =
            predictCrossingX(m, s.ballX, s.ballY, s.ballZ, aim, s.ballVY, s.ballVZ, farHalf);
        if (u > 66.25f) {
            aim = double(aim) - 10;
        }
        if (u < -66.25f) {
            aim = double(aim) + 10;
        }
        if (pass > 100 || (u > -76.25f && u < 76.25f)) {
            return aim;
        }
    }
}

TEST(StrokeReturn, ComputerPlayer1AimsAsOneLookAheadAfterTheOther) {
    // Returns struck from all over: the computer's home depth, spin and aim after correction
    // must be exactly what the draws and the plain loop give, whatever the speculation and
    // memory of exits did.
    uint32_t sequence = 12345;
    const auto next = [&](int range) {
        sequence = sequence * 1103515245u + 12345u;
        return int((sequence >> 16) % uint32_t(range));
    };
    for (int trial = 0; trial < 300; ++trial) {
        Match m = returnFor(1, float(140 + next(120)), float(78 + next(40)), false);
        m.settings.gameSpeed = float(5 + next(20));
        m.settings.gravityScale = float(2 + next(14));
        m.settings.aiSkill = 1;  // no error after the correction
        m.settings.aiSpeed = 40;
        m.randomState = uint32_t(trial + 1);
        m.state.paddle1.x = float(next(600) - 300);
        m.state.ballX = m.state.paddle1.x + float(next(19) - 4);
        // Replay the draws the stroke makes before its correction to know its first aim.
        Match draws = m;
        const float homeZ = float(205 - randomBelow(draws, 20));
        const int aimChoice = randomBelow(draws, 5);
        const float spin = float((randomBelow(draws, 200) - 100) / 100);
        float aim = float(randomBelow(draws, 150) - 75);
        aim = aimChoice == 2 ? 150.0f : aimChoice == 1 ? -150.0f : aim;

        strokePlayer1(m);
        ASSERT_EQ(m.state.rallyState, P1Shot);
        ASSERT_EQ(m.state.ballSpin, spin);
        EXPECT_EQ(m.state.paddle1.homeZ, homeZ);
        Match plain = m;  // the ball as the correction saw it: reset, new speeds, its spin
        EXPECT_EQ(m.state.ballVX, correctedAim(plain, aim, FarHalf::NegativeZ))
            << "trial " << trial;
    }
}

// The computer spins its return only above a skill of 0.5: at 0.5 a return draws four times
// (home depth, aim pick, aim, miss), above it player 1 draws once more for the spin and
// player 2 twice.
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
    s.rallyState = P1Toss;
    s.ballY = 88.2f;  // not below the strike height yet
    strokePlayer1(m);
    EXPECT_EQ(s.rallyState, P1Toss);
    s.ballY = 88.1f;
    strokePlayer1(m);
    EXPECT_EQ(s.rallyState, P1Serve);
    // The computer's random sideways speed, and the paddle's sound.
    EXPECT_EQ(std::tuple(s.ballVX, s.ballVZ, s.ballVY, m.requests.soundCount),
              std::tuple(float(41 % 50 - 25), -210.0f, -20.0f, 1));
}

TEST(ComputerPaddles, TrackTheBallAndDriftHome) {
    Match m = plainMatch();
    MatchState& s = m.state;
    const double step = 40 * double(0.05f);  // aiSpeed 40: 2 cm an update
    s.rallyState = P2Shot;
    s.paddle1.z = s.paddle1.homeZ = 175;
    s.ballX = 13, s.paddle1.x = 10;  // exactly 3 to the right: still
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, 10.0f);
    s.ballX = 14;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(10 + step));
    s.ballX = 0;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(float(10 + step) - step));

    s.paddle2.z = -150, s.paddle2.homeZ = -180;
    s.ballX = 50, s.ballZ = -200;  // player 2 waits while the ball is behind its end
    computerPaddle2(m);
    EXPECT_EQ(s.paddle2.x, 0.0f);
    s.ballZ = -199;
    computerPaddle2(m);
    EXPECT_EQ(std::tuple(s.paddle2.x, s.paddle2.z, s.paddle2.side),  // moved toward +x
              std::tuple(float(step), float(-150 - 0.01), PaddleSide::Backhand));

    // A ball coming to a paddle far out on its own side, beyond 130: a wind-up first.
    for (const auto& [x, phase] : {std::pair{130.0f, SwingPhase::Forward},
                                   {130.5f, SwingPhase::WindUp},
                                   {140.0f, SwingPhase::WindUp}}) {
        s.rallyState = P2Shot;
        placeBall(s, x, 90, 170, 0, 0, 100);
        s.paddle1.x = s.paddle1.prevX = x;
        s.paddle1.swingPhase = SwingPhase::Idle;
        computerPaddle1(m);
        EXPECT_EQ(s.paddle1.swingPhase, phase) << x;
    }
}

}  // namespace
}  // namespace spinvale
