// The computer paddles: tracking and the wind-up far out. (The human paddles and the
// computer's swing angles are followed by the golden traces.)
#include <gtest/gtest.h>

#include "match_fixture.h"

namespace spinvale {
namespace {

TEST(ComputerPaddles, TrackTheBallAndDriftHome) {
    Match m = plainMatch();
    MatchState& s = m.state;
    const double step = 40 * double(0.05f);  // aiSpeed 40: 2 cm an update
    s.rallyState = P2Shot;
    s.paddle1.z = s.paddle1.homeZ = 175;
    s.ballX = 13;
    s.paddle1.x = 10;  // exactly 3 to the right: still
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, 10.0f);
    s.ballX = 14;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(10 + step));
    s.ballX = 0;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(float(10 + step) - step));

    s.paddle2.z = -150;
    s.paddle2.homeZ = -180;
    s.ballX = 50;
    s.ballZ = -200;  // player 2 waits while the ball is behind its end
    computerPaddle2(m);
    EXPECT_EQ(s.paddle2.x, 0.0f);
    s.ballZ = -199;
    computerPaddle2(m);
    EXPECT_EQ(s.paddle2.x, float(step));
    EXPECT_EQ(s.paddle2.z, float(-150 - 0.01));
    EXPECT_EQ(s.paddle2.side, PaddleSide::Backhand);  // moved toward +x

    s.rallyState = P2Shot;  // a ball coming to a paddle far out on its own side: a wind-up
    placeBall(s, 140, 90, 170, 0, 0, 100);
    s.paddle1.x = s.paddle1.prevX = 140;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingPhase, SwingPhase::WindUp);
}

}  // namespace
}  // namespace spinvale
