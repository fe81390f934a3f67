// Ball flight, the rally assists, spin and the table, floor and net contacts.
#include <gtest/gtest.h>

#include <cmath>

#include "match_fixture.h"

namespace spinvale {
namespace {

TEST(AdvanceBall, WorkedFlightStep) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.ballX = 0;
    s.ballY = 100;
    s.ballZ = 50;
    s.ballVX = 100;
    s.ballVY = 200;
    s.ballVZ = -300;
    s.ballSpin = 10;
    advanceBall(m, 16);
    // t = 16, d = 0.0032; the ball moves with the new vertical speed and the old sideways one.
    EXPECT_FLOAT_EQ(s.ballX, 0.16f);
    EXPECT_FLOAT_EQ(s.ballY, 100.31997f);
    EXPECT_FLOAT_EQ(s.ballZ, 49.52f);
    EXPECT_FLOAT_EQ(s.ballVX, 101.5968f);
    EXPECT_FLOAT_EQ(s.ballVY, 199.97952f);
    EXPECT_FLOAT_EQ(s.ballVZ, -299.9968f);
    EXPECT_FLOAT_EQ(s.ballSpin, 9.9968f);
}

TEST(AdvanceBall, GravityIsOneFloatStepAboveTheNearest) {
    // One millisecond from rest with no drag left: vy = -0.00108 exactly as the float
    // 0x3a8d8eca, then the drag of 0.0002f (its nearest float) pulls it toward zero.
    Match m = plainMatch();
    advanceBall(m, 1);
    const double g = double(0x1.1b1d94p-10f);
    const double d = double(0.0002f);
    EXPECT_EQ(m.state.ballVY, float(double(float(-g)) + d));
    EXPECT_EQ(m.state.ballVX, float(-d));  // zero is pushed to -d
}

TEST(AdvanceBall, NoTimeNoFlight) {
    Match m = plainMatch();
    m.state.ballVX = 5;
    m.state.ballY = 90;
    advanceBall(m, 0);
    EXPECT_EQ(m.state.ballY, 90.0f);
    EXPECT_EQ(m.state.ballVX, 5.0f);
    m.settings.gameSpeed = 0;
    advanceBall(m, 16);
    EXPECT_EQ(m.state.ballVX, 5.0f);
}

TEST(AdvanceBall, BallAtRestInXAlternatesAroundZero) {
    // Outside a shot the spin is held at 0 before every flight step, as the update does.
    Match m = plainMatch();
    advanceBall(m, 16);
    EXPECT_FLOAT_EQ(m.state.ballVX, -0.0032f);
    m.state.ballSpin = 0;
    advanceBall(m, 16);
    EXPECT_NEAR(m.state.ballVX, 0.0f, 1e-9);
    m.state.ballSpin = 0;
    advanceBall(m, 16);
    EXPECT_NEAR(std::fabs(m.state.ballVX), 0.0032f, 1e-6);
}

TEST(LiftOverNet, LiftsOnlyARisingShotThatWouldMeetTheNet) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P1Shot;
    s.ballVY = 10;
    s.ballZ = 50;
    liftOverNet(m, 2, 16);
    EXPECT_EQ(s.ballVY, 18.0f);  // elapsedMs x 0.5, unscaled by game speed
    liftOverNet(m, 1, 16);
    EXPECT_EQ(s.ballVY, 18.0f);
    s.ballZ = 10;  // within 10 cm of the net: no lift
    liftOverNet(m, 2, 16);
    EXPECT_EQ(s.ballVY, 18.0f);
    s.ballZ = -10.5f;
    s.rallyState = P1Serve;  // not a shot
    liftOverNet(m, 2, 16);
    EXPECT_EQ(s.ballVY, 18.0f);
    s.rallyState = P2Shot;
    s.ballVY = 0;  // not rising
    liftOverNet(m, 2, 16);
    EXPECT_EQ(s.ballVY, 0.0f);
}

TEST(SlowDepth, TwoSuccessiveTestsKeepASmallPositiveSpeedPositive) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.rallyState = P2Shot;
    const double step = 15 * double(1.0f / 15.0f);  // just above 1
    s.ballVZ = 100;
    slowDepth(m, 15);
    EXPECT_EQ(s.ballVZ, float(100 - step));
    s.ballVZ = 0.5f;  // below the step: down past zero, then back up
    slowDepth(m, 15);
    EXPECT_EQ(s.ballVZ, float(step + float(0.5 - step)));
    EXPECT_GT(s.ballVZ, 0.0f);
    s.ballVZ = -0.5f;  // a small negative speed ends positive
    slowDepth(m, 15);
    EXPECT_GT(s.ballVZ, 0.0f);
    s.rallyState = P1ToReturn;
    s.ballVZ = 100;
    slowDepth(m, 15);
    EXPECT_EQ(s.ballVZ, 100.0f);
}

TEST(UpdateSpin, HumanPlayerOneSpinsTheBallAcrossZ100) {
    Match m = plainMatch();
    MatchState& s = m.state;
    m.settings.player1Mouse = true;
    m.settings.screenWidth = 1024;
    m.settings.spinFactor = 8;
    s.rallyState = P1Shot;
    s.strokeCursorX = 600;
    m.input.pointerX = 344;  // moved 256 pixels toward smaller x: positive spin
    s.prevBallZ = 100.5f;
    s.ballZ = 99.5f;
    updateSpin(m);
    EXPECT_EQ(s.ballSpin, 2.0f);  // 256 / 1024 x 8

    s.ballSpin = 0;
    s.prevBallZ = 100;  // exactly on the plane: no crossing
    updateSpin(m);
    EXPECT_EQ(s.ballSpin, 0.0f);

    s.rallyState = P1Serve;  // spin lives only while a shot flies
    s.ballSpin = 3;
    updateSpin(m);
    EXPECT_EQ(s.ballSpin, 0.0f);
}

TEST(UpdateSpin, ComputerPlayerOnePutsNoPointerSpin) {
    Match m = plainMatch();
    m.state.rallyState = P1Shot;
    m.state.ballSpin = 1;
    m.state.strokeCursorX = 600;
    m.state.prevBallZ = 101;
    m.state.ballZ = 99;
    updateSpin(m);
    EXPECT_EQ(m.state.ballSpin, 1.0f);
}

struct BounceCase {
    RallyState before;
    float z, vz;
    RallyState after;
    int score1, score2;
};

TEST(BounceOnTable, JudgesTheRallyByWhereAndWhichWay) {
    const BounceCase cases[] = {
        {P1Serve, 50, -200, P1Shot, 0, 0},  // a serve's first bounce is not judged
        {P2Serve, -50, 200, P2Shot, 0, 0},
        {P1Shot, -50, -200, P2ToReturn, 0, 0},  // landed on the far half heading away
        {P2Shot, 50, 200, P1ToReturn, 0, 0},
        {P1Shot, -50, 10, P1Shot, 0, 0},            // on the far half but coming back
        {P1Shot, 0, -200, P1Shot, 0, 0},            // exactly on the net line
        {P2ToReturn, -50, -200, P2ToReturn, 0, 0},  // a second bounce is left to the floor
    };
    for (const BounceCase& c : cases) {
        Match m = plainMatch();
        MatchState& s = m.state;
        s.rallyState = c.before;
        s.ballZ = c.z;
        s.ballVZ = c.vz;
        s.ballY = 80;
        s.ballVY = -30;
        bounceOnTable(m);
        EXPECT_EQ(s.rallyState, c.after) << "from " << c.before << " at z " << c.z;
        EXPECT_EQ(s.score1, c.score1);
        EXPECT_EQ(s.score2, c.score2);
        EXPECT_EQ(s.ballY, 81.2f);
        EXPECT_EQ(s.ballVY, 30.0f);
        ASSERT_EQ(m.requests.soundCount, 1);
        EXPECT_STREQ(m.requests.sounds[0], "sounds/table.wav");
    }
}

TEST(BounceOnTable, AShotOnItsOwnHalfLosesThePoint) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.score1 = 3;
    s.score2 = 4;
    s.firstServer = 1;
    s.rallyState = P1Shot;
    s.ballZ = 40;
    s.ballY = 79;
    bounceOnTable(m);
    EXPECT_EQ(s.score2, 5);
    EXPECT_EQ(s.rallyState, P1ToServe);  // 3-5: n = 8, n / 2 = 4 is even: the first server

    Match p = plainMatch();
    p.state.score1 = 2;
    p.state.firstServer = 2;
    p.state.rallyState = P2Shot;
    p.state.ballZ = -40;
    p.state.ballY = 79;
    bounceOnTable(p);
    EXPECT_EQ(p.state.score1, 3);
    EXPECT_EQ(p.state.rallyState, P1ToServe);  // n = 3: n / 2 = 1, the other player
}

TEST(BounceOnTable, EdgesAreOffTheTable) {
    const float edges[][2] = {{76.25f, 0}, {-76.25f, 0}, {0, 137}, {0, -137}};
    for (const auto& e : edges) {
        Match m = plainMatch();
        m.state.ballX = e[0];
        m.state.ballZ = e[1];
        m.state.ballY = 50;
        bounceOnTable(m);
        EXPECT_EQ(m.state.ballY, 50.0f);
        EXPECT_EQ(m.requests.soundCount, 0);
    }
    // Below the surface but inside the outline: put back on top.
    Match m = plainMatch();
    m.state.ballX = 76.2f;
    m.state.ballY = 10;
    m.state.ballVY = -5;
    bounceOnTable(m);
    EXPECT_EQ(m.state.ballY, 81.2f);
    EXPECT_EQ(m.state.ballVY, 5.0f);
}

TEST(BounceOnFloor, TheFloorEndsTheRally) {
    struct Case {
        RallyState before;
        int score1, score2;
    };
    const Case cases[] = {
        {P1Shot, 0, 1},     {P1ToReturn, 0, 1}, {P2Shot, 1, 0},
        {P2ToReturn, 1, 0}, {P1Serve, 0, 0},    {P2Toss, 0, 0},
    };
    for (const Case& c : cases) {
        Match m = plainMatch();
        MatchState& s = m.state;
        s.score1 = 5;
        s.score2 = 5;
        s.firstServer = 1;
        s.rallyState = c.before;
        s.ballY = -0.5f;
        s.ballVY = -40;
        bounceOnFloor(m);
        EXPECT_EQ(s.ballVY, 40.0f);
        EXPECT_EQ(s.ballY, -0.5f);  // reversed, not lifted
        EXPECT_EQ(s.score1, 5 + c.score1) << c.before;
        EXPECT_EQ(s.score2, 5 + c.score2) << c.before;
        EXPECT_TRUE(s.rallyState == P1ToServe || s.rallyState == P2ToServe);
    }
    Match m = plainMatch();
    m.state.ballY = 0;  // on the floor is not below it
    m.state.rallyState = P1Shot;
    bounceOnFloor(m);
    EXPECT_EQ(m.state.rallyState, P1Shot);
}

TEST(BounceOnFloor, AWonGameStaysWon) {
    Match m = plainMatch();
    m.state.score1 = 11;
    m.state.score2 = 3;
    m.state.rallyState = P1WinsGame;
    m.state.ballY = -1;
    bounceOnFloor(m);
    EXPECT_EQ(m.state.rallyState, P1WinsGame);
    EXPECT_EQ(m.state.score1, 11);
}

TEST(NetCollision, StopsACrossingBelowTheTopAcrossTheWholeWidth) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.prevBallZ = 2;
    s.ballZ = -1;
    s.ballY = 95;
    s.ballX = 120;  // beyond the table's side: the net still stops it
    s.ballVX = 50;
    s.ballVY = -10;
    s.ballVZ = -300;
    s.ballSpin = 1;
    s.rallyState = P1Shot;
    netCollision(m);
    EXPECT_EQ(s.ballVZ, float(300 * 0.05));
    EXPECT_EQ(s.ballZ, 2.0f);
    EXPECT_EQ(s.ballVY, float(-10 * 0.2));
    EXPECT_EQ(s.ballVX, float(50 * 0.2));
    EXPECT_EQ(s.ballSpin, 1.0f);
    EXPECT_EQ(s.rallyState, P1Shot);
    EXPECT_EQ(m.requests.soundCount, 0);
}

TEST(NetCollision, PassesOverTheTopAndIgnoresTouchingZero) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.prevBallZ = 2;
    s.ballZ = -1;
    s.ballY = 98.2f;  // at the top: clears
    s.ballVZ = -300;
    netCollision(m);
    EXPECT_EQ(s.ballZ, -1.0f);
    s.ballY = 50;
    s.ballZ = 0;  // ends exactly on the net line: not a crossing
    netCollision(m);
    EXPECT_EQ(s.ballVZ, -300.0f);
    s.prevBallZ = -3;
    s.ballZ = 4;
    s.ballY = -20;  // below the table counts too
    netCollision(m);
    EXPECT_EQ(s.ballZ, -3.0f);
}

}  // namespace
}  // namespace spinvale
