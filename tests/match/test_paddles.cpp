// The human and computer paddle controls.
#include <gtest/gtest.h>

#include "match_fixture.h"

namespace spinvale {
namespace {

Match mouseMatch(int px, int py) {
    Match m = plainMatch();
    m.settings.player1Mouse = true;
    m.settings.screenWidth = 1024;
    m.settings.screenHeight = 768;
    m.state.rallyState = P1Shot;
    m.input.pointerX = px;
    m.input.pointerY = py;
    return m;
}

TEST(MousePaddle1, ThePointerMapsOntoTheTable) {
    Match m = mouseMatch(512, 0);
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.x, 0.0f);
    EXPECT_EQ(m.state.paddle1.z, 0.0f);  // top edge: the plane of the net
    m.input.pointerX = 0;
    m.input.pointerY = 768;
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.x, -152.5f);
    EXPECT_EQ(m.state.paddle1.z, 274.0f);
    m.input.pointerX = 1024;
    m.input.pointerY = 384;
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.x, 152.5f);
    EXPECT_EQ(m.state.paddle1.z, 137.0f);
    m.input.pointerX = 2048;  // beyond the screen: no clamp
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.x, 457.5f);
}

TEST(MousePaddle1, StandsStillDuringTheTossButTracksThePointer) {
    Match m = mouseMatch(800, 300);
    m.state.rallyState = P1Toss;
    m.state.paddle1.x = 5;
    m.state.paddle1.z = 190;
    m.state.prevCursorU = 0.9f;
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.x, 5.0f);
    EXPECT_EQ(m.state.paddle1.z, 190.0f);
    EXPECT_EQ(m.state.prevCursorU, float(800.0 / 1024));
    EXPECT_EQ(m.state.paddle1.side, 1);  // moved toward smaller x
}

TEST(MousePaddle1, SideFollowsTheLastMoveOutsideTheDeadBandAndBeforeTheSwing) {
    Match m = mouseMatch(500, 300);
    m.state.prevCursorU = float(499.0 / 1024);  // one pixel passes the dead band
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.side, 0);
    m.input.pointerX = 499;
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.side, 1);
    mousePaddle1(m);  // no movement: unchanged
    EXPECT_EQ(m.state.paddle1.side, 1);

    m.state.paddle1.swingAngle = 2;  // swing under way: side locked
    m.input.pointerX = 900;
    mousePaddle1(m);
    EXPECT_EQ(m.state.paddle1.side, 1);
    EXPECT_EQ(m.state.prevCursorU, float(900.0 / 1024));

    Match wide = mouseMatch(0, 0);
    wide.settings.screenWidth = 20000;  // wider than 10000: one pixel stays in the band
    wide.state.prevCursorU = 0;
    wide.input.pointerX = 1;
    wide.state.paddle1.side = 1;
    mousePaddle1(wide);
    EXPECT_EQ(wide.state.paddle1.side, 1);
}

TEST(KeyboardPaddle2, ArrowsMoveAtFourMillimetresPerMillisecond) {
    Match m = plainMatch();
    Paddle& p = m.state.paddle2;
    p.z = -200;
    m.input.keys[KeyRight] = 1;
    m.input.keys[KeyUp] = 1;
    keyboardPaddle2(m, 10);
    EXPECT_FLOAT_EQ(p.x, 4.0f);
    EXPECT_FLOAT_EQ(p.z, -204.0f);
    EXPECT_EQ(p.side, 1);
    EXPECT_EQ(p.prevX, p.x);

    m.input.keys[KeyLeft] = 1;  // left and right cancel
    keyboardPaddle2(m, 10);
    EXPECT_FLOAT_EQ(p.x, 4.0f);
    EXPECT_EQ(p.side, 1);

    m.input.keys[KeyRight] = 0;
    m.input.keys[KeyUp] = 0;
    m.input.keys[KeyDown] = 1;
    keyboardPaddle2(m, 10);
    EXPECT_LT(p.x, 4.0f);
    EXPECT_EQ(p.side, 0);
    EXPECT_FLOAT_EQ(p.z, -204.0f);  // up twice, then down once

    const float before = p.x;
    keyboardPaddle2(m, 0);
    EXPECT_EQ(p.x, before);
    EXPECT_EQ(p.side, 0);
}

TEST(ClampPaddle2, KeepsPaddleTwoWithinOneTableWidth) {
    Match m = plainMatch();
    Paddle& p = m.state.paddle2;
    p.x = 200;
    p.z = 500;
    clampPaddle2(m);
    EXPECT_EQ(p.x, 152.5f);
    EXPECT_EQ(p.prevX, 152.5f);
    EXPECT_EQ(p.z, 500.0f);
    p.x = -152.5f;
    p.prevX = 3;
    clampPaddle2(m);
    EXPECT_EQ(p.x, -152.5f);
    EXPECT_EQ(p.prevX, 3.0f);  // exactly on the limit is left alone
}

TEST(ComputerPaddle1, ServeSetUpTossesAtOnce) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P1ToServe;
    s.paddle1.x = 60;  // far out: re-placed near the centre
    s.paddle1.z = 190;
    s.paddle1.homeZ = 175;
    s.paddle2.y = 120;
    s.ballVX = 7;
    computerPaddle1(m);
    EXPECT_EQ(s.rallyState, P1Toss);
    EXPECT_EQ(s.ballVY, 90.0f);
    EXPECT_EQ(s.ballVX, 0.0f);
    EXPECT_EQ(s.ballZ, 180.0f);  // from the paddle's depth before it moves home
    EXPECT_EQ(s.paddle1.z, 175.0f);
    EXPECT_EQ(s.paddle1.x, float(41 % 50 - 25));  // the run's first draw
    EXPECT_EQ(s.ballX, s.paddle1.x + 10);
    EXPECT_EQ(s.ballY, 98.2f);
    EXPECT_EQ(s.paddle2.y, 88.2f);
    EXPECT_EQ(s.paddle1.swingPhase, 1);
    EXPECT_EQ(s.paddle1.side, 0);

    Match edge = plainMatch();
    edge.state.rallyState = P1ToServe;
    edge.state.paddle1.x = -50;  // exactly 50 out stays
    computerPaddle1(edge);
    EXPECT_EQ(edge.state.paddle1.x, -50.0f);
    EXPECT_EQ(edge.randomState, 1u);  // no draw made
}

TEST(ComputerPaddle2, ServeSetUpStopsTheOtherSwing) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P2ToServe;
    s.paddle2.x = 20;
    s.paddle1.swingPhase = 2;
    s.paddle1.swingAngle = 30;
    computerPaddle2(m);
    EXPECT_EQ(s.rallyState, P2Toss);
    EXPECT_EQ(s.paddle2.z, -200.0f);
    EXPECT_EQ(s.ballZ, -190.0f);
    EXPECT_EQ(s.ballX, 10.0f);
    EXPECT_EQ(s.paddle1.swingPhase, 0);
    EXPECT_EQ(s.paddle1.swingAngle, 0.0f);
    EXPECT_EQ(s.paddle2.swingPhase, 1);
}

TEST(ComputerPaddle1, TracksTheBallWithADeadBand) {
    Match m = plainMatch();
    MatchState& s = m.state;
    m.settings.aiSpeed = 40;  // 2 cm per update
    const double step = 40 * double(0.05f);
    s.rallyState = P2Shot;
    s.paddle1.z = 175;
    s.paddle1.homeZ = 175;
    s.ballX = 13;
    s.paddle1.x = 10;  // exactly 3 to the right: still
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, 10.0f);
    s.ballX = 14;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(10 + step));
    m.settings.aiSpeed = 100;  // 5 cm steps: a step past the ball is taken back
    const double bigStep = 100 * double(0.05f);
    s.ballX = 12.5f;
    s.paddle1.x = 9;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(float(9 + bigStep) - bigStep));
    m.settings.aiSpeed = 40;
    s.ballX = 0;  // a leftward step is never taken back
    s.paddle1.x = 1;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.x, float(1 - step));
}

TEST(ComputerPaddle2, WaitsWhileTheBallIsBehindItsEnd) {
    Match m = plainMatch();
    MatchState& s = m.state;
    m.settings.aiSpeed = 40;
    s.rallyState = P1Shot;
    s.paddle2.x = 0;
    s.paddle2.z = -150;
    s.paddle2.homeZ = -180;
    s.ballX = 50;
    s.ballZ = -200;
    computerPaddle2(m);
    EXPECT_EQ(s.paddle2.x, 0.0f);
    EXPECT_EQ(s.paddle2.z, -150.0f);
    s.ballZ = -199;
    computerPaddle2(m);
    EXPECT_GT(s.paddle2.x, 0.0f);
    EXPECT_EQ(s.paddle2.z, float(-150 - 0.01));  // drifts toward home by 0.01 an update
    EXPECT_EQ(s.paddle2.side, 1);                // moved toward +x
}

TEST(ComputerPaddle1, SwingTriggerHalvesOrWindsUpByStance) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P2Shot;
    s.ballVZ = 100;
    s.ballZ = 170;
    s.ballX = 60;
    s.paddle1.z = 175;
    s.paddle1.homeZ = 175;
    s.paddle1.x = 58;
    s.paddle1.prevX = 58;
    s.paddle1.side = 1;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingPhase, 2);
    EXPECT_FLOAT_EQ(s.paddle1.swingAngle, 10.0f);  // 60 / 3, halved on the far side

    s.paddle1.swingPhase = 2;  // not restarted while swinging forward
    s.paddle1.swingAngle = 33;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingAngle, 33.0f);

    s.paddle1.swingPhase = 0;
    s.paddle1.x = 140;
    s.paddle1.prevX = 140;
    s.ballX = 140;
    computerPaddle1(m);
    EXPECT_EQ(s.paddle1.swingPhase, 1);  // far out on its own side: wind up first
}

TEST(ComputerPaddle2, SwingTriggerAddsARandomAngleAndShortensInTheCentre) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P1Shot;
    s.ballVZ = -100;
    s.ballZ = -190;
    s.ballX = 6;
    s.paddle2.z = -195;
    s.paddle2.homeZ = -195;
    s.paddle2.x = 5;
    s.paddle2.prevX = 5;
    computerPaddle2(m);
    // randomBelow(10) gives 41 % 10 = 1; (1 + 6 / 3) x 0.8 near the centre line.
    EXPECT_EQ(s.paddle2.swingPhase, 2);
    EXPECT_FLOAT_EQ(s.paddle2.swingAngle, 2.4f);
}

}  // namespace
}  // namespace spinvale
