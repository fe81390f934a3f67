// Ball flight, the lift over the net, spin and the table, floor and net contacts. (The
// lift's and the spin's amounts and the depth slowdown are held by the golden traces.)
#include <gtest/gtest.h>

#include "match_fixture.h"

namespace spinvale {
namespace {

TEST(AdvanceBall, WorkedFlightStep) {
    Match m = plainMatch();
    MatchState& s = m.state;
    placeBall(s, 0, 100, 50, 100, 200, -300);
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

// The edges the golden traces never meet exactly: the lift's 10 cm around the net, and
// spin put on only by a crossing of z = 100, not by a ball standing on it.
TEST(RallyAssists, LiftAndSpinAtTheirExactEdges) {
    Match m = plainMatch();
    MatchState& s = m.state;
    m.settings.player1Mouse = true;
    s.rallyState = P1Shot;
    s.ballVY = 10;
    s.ballZ = 10.5f;
    liftOverNet(m, NetPrediction::MeetsNet, 16);
    s.ballZ = 10;
    liftOverNet(m, NetPrediction::MeetsNet, 16);
    EXPECT_EQ(s.ballVY, 18.0f);  // elapsedMs x 0.5, once
    m.input.pointerX = 344;
    s.prevBallZ = 100;
    s.ballZ = 99.5f;
    updateSpin(m);
    EXPECT_EQ(s.ballSpin, 0.0f);
}

TEST(BounceOnTable, JudgesTheRallyByWhereAndWhichWay) {
    struct Case {
        RallyState before;
        float z, vz;
        RallyState after;
        int score1 = 0, score2 = 0;  // before the bounce; the point goes to the opponent
        int won1 = 0, won2 = 0;
    };
    const Case cases[] = {
        {P1Serve, 50, -200, P1Shot},  // a serve's first bounce is not judged
        {P2Serve, -50, 200, P2Shot},
        {P1Shot, -50, -200, P2ToReturn},  // landed on the far half heading away
        {P2Shot, 50, 200, P1ToReturn},
        {P1Shot, -50, 10, P1Shot},                  // on the far half but coming back
        {P1Shot, -50, 0, P1Shot},                   // or standing still
        {P1Shot, 0, -200, P1Shot},                  // exactly on the net line
        {P2ToReturn, -50, -200, P2ToReturn},        // a second bounce is left to the floor
        {P1Shot, 40, -200, P1ToServe, 3, 4, 0, 1},  // own half: 3-5, n / 2 = 4, first server
        {P2Shot, -40, 200, P2ToServe, 2, 0, 1, 0},  // own half: 3-0, n / 2 = 1, the other
    };
    for (const Case& c : cases) {
        Match m = plainMatch();
        MatchState& s = m.state;
        s.score1 = c.score1;
        s.score2 = c.score2;
        s.firstServer = 1;
        s.rallyState = c.before;
        placeBall(s, 0, 80, c.z, 0, -30, c.vz);
        bounceOnTable(m);
        EXPECT_EQ(s.rallyState, c.after) << "from " << c.before << " at z " << c.z;
        EXPECT_EQ(s.score1, c.score1 + c.won1);
        EXPECT_EQ(s.score2, c.score2 + c.won2);
    }
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
    }
    Match m = plainMatch();  // below the surface but inside the outline: put back on top
    m.state.ballX = 76.2f;
    m.state.ballY = 80.1f;
    bounceOnTable(m);
    EXPECT_EQ(m.state.ballY, 81.2f);
}

TEST(BounceOnFloor, TheFloorEndsTheRally) {
    const struct {
        RallyState before;
        int score1, score2;
    } cases[] = {{P1Shot, 0, 1},     {P1ToReturn, 0, 1}, {P2Shot, 1, 0},
                 {P2ToReturn, 1, 0}, {P1Serve, 0, 0},    {P2Toss, 0, 0}};
    for (const auto& c : cases) {
        Match m = plainMatch();
        MatchState& s = m.state;
        s.score1 = s.score2 = 5;
        s.firstServer = 1;
        s.rallyState = c.before;
        s.ballY = -0.5f;
        bounceOnFloor(m);
        EXPECT_EQ(s.score1, 5 + c.score1) << c.before;
        EXPECT_EQ(s.score2, 5 + c.score2) << c.before;
    }
    Match m = plainMatch();
    m.state.ballY = 0;  // on the floor is not below it
    m.state.rallyState = P1Shot;
    bounceOnFloor(m);
    EXPECT_EQ(m.state.rallyState, P1Shot);
}

TEST(NetCollision, StopsACrossingBelowTheTopAcrossTheWholeWidth) {
    Match m = plainMatch();
    MatchState& s = m.state;
    placeBall(s, 120, 95, -1, 50, -10, -300);  // beyond the table's side: the net still stops it
    s.prevBallZ = 2;
    netCollision(m);
    EXPECT_EQ(s.ballVZ, float(300 * 0.05));
    EXPECT_EQ(s.ballZ, 2.0f);
    placeBall(s, 0, 98.2f, -1, 0, 0, -300);  // at the top: clears
    netCollision(m);
    EXPECT_EQ(s.ballZ, -1.0f);
    s.ballY = 50;
    s.ballZ = 0;  // ends exactly on the net line: not a crossing
    netCollision(m);
    EXPECT_EQ(s.ballVZ, -300.0f);
}

}  // namespace
}  // namespace spinvale
