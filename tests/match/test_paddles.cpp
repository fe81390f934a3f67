// The arrow-key paddle and its bounds, and the computer paddles. (The pointer's paddle is
// followed by the golden traces of the mouse player.)
#include <gtest/gtest.h>

#include "match_fixture.h"

namespace spinvale {
namespace {

TEST(KeyboardPaddle2, ArrowsMoveFourMillimetresAMillisecondWithinOneTableWidth) {
    Match m = plainMatch();
    Paddle& p = m.state.paddle2;
    p.z = -200;
    m.input.keys[KeyRight] = m.input.keys[KeyUp] = 1;
    keyboardPaddle2(m, 10);
    EXPECT_FLOAT_EQ(p.x, 4.0f);
    EXPECT_FLOAT_EQ(p.z, -204.0f);  // Up is away from the net
    EXPECT_EQ(p.side, PaddleSide::Backhand);
    p.x = 200;
    clampPaddle2(m);
    EXPECT_EQ(p.x, 152.5f);
    EXPECT_EQ(p.prevX, 152.5f);
    for (float limit : {152.5f, -152.5f}) {  // exactly on a limit is left alone
        p.x = limit;
        p.prevX = 3;
        clampPaddle2(m);
        EXPECT_EQ(p.prevX, 3.0f);
    }
}

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
}

TEST(ComputerPaddles, SwingTriggersByStance) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P2Shot;
    s.ballVZ = 100;
    s.ballZ = 170;
    s.ballX = 60;
    s.paddle1.z = s.paddle1.homeZ = 175;
    s.paddle1.x = s.paddle1.prevX = 58;
    s.paddle1.side = PaddleSide::Backhand;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingPhase, SwingPhase::Forward);
    EXPECT_FLOAT_EQ(s.paddle1.swingAngle, 10.0f);  // 60 / 3, halved on the far side
    s.paddle1.swingAngle = 33;                     // not restarted while swinging forward
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingAngle, 33.0f);
    s.paddle1.swingPhase = SwingPhase::Idle;
    s.paddle1.x = s.paddle1.prevX = s.ballX = 140;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingPhase, SwingPhase::WindUp);  // far out on its own side
}

}  // namespace
}  // namespace spinvale
