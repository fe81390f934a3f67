// Lift, spin, contacts and look-aheads hand-worked at edges the golden traces never meet exactly
// (which hold the flight step, the lift's and spin's amounts and the depth slowdown).
#include <gtest/gtest.h>

#include <tuple>

#include "match_fixture.h"

namespace spinvale {
namespace {

// The lift's 10 cm around the net; spin put on by a crossing of z = 100, not a ball on it.
TEST(RallyAssists, LiftAndSpinAtTheirExactEdges) {
    Match m = plainMatch();
    MatchState& s = m.state;
    m.settings.player1Mouse = true, s.rallyState = P1Shot, s.ballVY = 10, s.ballZ = 10.5f;
    liftOverNet(m, NetPrediction::MeetsNet, 16);
    s.ballZ = 10;
    liftOverNet(m, NetPrediction::MeetsNet, 16);
    EXPECT_EQ(s.ballVY, 18.0f);  // elapsedMs x 0.5, once
    m.input.pointerX = 344, s.prevBallZ = 100, s.ballZ = 99.5f;
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
        s.score1 = c.score1, s.score2 = c.score2, s.firstServer = 1, s.rallyState = c.before;
        placeBall(s, 0, 80, c.z, 0, -30, c.vz);
        bounceOnTable(m);
        EXPECT_EQ(std::tuple(s.rallyState, s.score1, s.score2),
                  std::tuple(c.after, c.score1 + c.won1, c.score2 + c.won2))
            << "from " << c.before << " at z " << c.z;
    }
}

TEST(BounceOnTable, EdgesAreOffTheTable) {
    const float edges[][2] = {{76.25f, 0}, {-76.25f, 0}, {0, 137}, {0, -137}};
    for (const auto& e : edges) {
        Match m = plainMatch();
        placeBall(m.state, e[0], 50, e[1], 0, 0, 0);
        bounceOnTable(m);
        EXPECT_EQ(m.state.ballY, 50.0f);
    }
    Match m = plainMatch();  // below the surface but inside the outline: put back on top
    m.state.ballX = 76.2f, m.state.ballY = 80.1f;
    bounceOnTable(m);
    EXPECT_EQ(m.state.ballY, 81.2f);
}

TEST(BounceOnFloor, TheFloorEndsTheRally) {
    const std::tuple<RallyState, int, int> cases[] = {{P1Shot, 0, 1},  {P1ToReturn, 0, 1},
                                                      {P2Shot, 1, 0},  {P2ToReturn, 1, 0},
                                                      {P1Serve, 0, 0}, {P2Toss, 0, 0}};
    for (const auto& [before, won1, won2] : cases) {
        Match m = plainMatch();
        MatchState& s = m.state;
        s.score1 = s.score2 = 5, s.firstServer = 1, s.rallyState = before, s.ballY = -0.5f;
        bounceOnFloor(m);
        EXPECT_EQ(std::pair(s.score1, s.score2), std::pair(5 + won1, 5 + won2)) << before;
    }
    Match m = plainMatch();
    m.state.ballY = 0, m.state.rallyState = P1Shot;  // on the floor is not below it
    bounceOnFloor(m);
    EXPECT_EQ(m.state.rallyState, P1Shot);
}

TEST(NetCollision, StopsACrossingBelowTheTopAcrossTheWholeWidth) {
    Match m = plainMatch();
    MatchState& s = m.state;
    placeBall(s, 120, 95, -1, 50, -10, -300);  // beyond the table's side: the net still stops it
    s.prevBallZ = 2;
    netCollision(m);
    EXPECT_EQ(std::pair(s.ballVZ, s.ballZ), std::pair(float(300 * 0.05), 2.0f));
    placeBall(s, 0, 98.2f, -1, 0, 0, -300);  // at the top: clears
    netCollision(m);
    EXPECT_EQ(s.ballZ, -1.0f);
    s.ballY = 50, s.ballZ = 0;  // ends exactly on the net line: not a crossing
    netCollision(m);
    EXPECT_EQ(s.ballVZ, -300.0f);
}

TEST(PredictNetHit, DecidesInTheBandJustPastTheNet) {
    Match m = plainMatch();
    const auto meets = [&m](float y, float z, float vz) {
        return predictNetHit(m, 0, y, z, 0, 0, vz) == NetPrediction::MeetsNet;
    };
    // Flat and slow from z = 50: the band is reached after about 1570 steps, the height barely
    // changed; from z = 80 not within 2001. At 0.03 cm a step less 1e-8 n^2 of drag, a ball
    // from 62.975 is at 3.015 after 2000 steps, 2.985 after the 2001st, the last looked at.
    EXPECT_TRUE(meets(90, 50, -300));
    EXPECT_FALSE(meets(110, 50, -300));
    EXPECT_FALSE(meets(90, 80, -300));
    EXPECT_TRUE(meets(90, 62.975f, -300));
    EXPECT_TRUE(meets(90, -2.5f, 0));    // in the band, below the top
    EXPECT_FALSE(meets(100.2f, 2, 0));   // at the clearance height
    EXPECT_FALSE(meets(90, 140, -300));  // already beyond an end line
    m.settings.gameSpeed = 0;            // a ball standing exactly on z = 0 never enters it
    EXPECT_FALSE(meets(90, 0, 0));
    EXPECT_TRUE(meets(90, 3, 0));
}

TEST(PredictCrossingX, WhereTheFlightLeavesTheFarHalf) {
    Match m = plainMatch();
    m.settings.gameSpeed = 10;
    const auto exit = [&m](float z, float vx, float vz, FarHalf half) {
        return predictCrossingX(m, 0, 90, z, vx, 40, vz, half);
    };
    EXPECT_NEAR(exit(150, 50, -300, FarHalf::NegativeZ), 47.0f, 0.05);  // over the far end
    EXPECT_NEAR(exit(-150, 50, 300, FarHalf::PositiveZ), 47.0f, 0.05);
    EXPECT_EQ(exit(50, 0, 300, FarHalf::NegativeZ), 1.0f);  // heading away: no exit
    // At game speed 1 a ball from -106.995 is at -136.985 after 1000 steps, -137.015 after the
    // 1001st, the last one looked at.
    m.settings.gameSpeed = 1;
    EXPECT_EQ(predictCrossingX(m, 5, 90, -106.995f, 0, 0, -300, FarHalf::NegativeZ), 5.0f);
    m.settings.gameSpeed = 0;  // an exit at exactly x = 0 does not count
    EXPECT_EQ(predictCrossingX(m, 5, 90, -140, 0, 0, 0, FarHalf::NegativeZ), 5.0f);
    EXPECT_EQ(predictCrossingX(m, 0, 90, -140, 0, 0, 0, FarHalf::NegativeZ), 1.0f);
}

}  // namespace
}  // namespace spinvale
