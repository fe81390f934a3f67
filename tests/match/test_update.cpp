// The frame update as a whole: swings, the serve hold and tosses, requests, the match
// initialisation and the two writes drawing makes.
#include <gtest/gtest.h>

#include <vector>

#include "match_fixture.h"

namespace spinvale {
namespace {

// A match in a rally that no paddle can reach: the ball hangs frozen far off the table, so
// only the swings move.
Match swingMatch() {
    Match m = plainMatch();
    m.settings.player1Mouse = true;
    m.settings.player2Keyboard = true;
    m.settings.gameSpeed = 0;  // the ball stays put
    m.state.rallyState = P2ToReturn;
    m.state.ballX = 500;
    m.state.ballY = 300;
    m.state.ballZ = 500;
    m.state.prevBallZ = 500;
    return m;
}

TEST(StepSwings, PaddleOneTraceWithTheButtonSeenOnce) {
    Match m = swingMatch();
    std::vector<float> angles;
    for (int update = 1; update <= 36; ++update) {
        m.input.leftButton = update == 1 ? 1 : 0;
        updateMatch(m, 16);
        angles.push_back(m.state.paddle1.swingAngle);
    }
    // Wind-up of one degree takes it below zero at once; then 4 degrees an update.
    EXPECT_EQ(angles[0], 3.0f);
    EXPECT_EQ(angles[1], 7.0f);
    EXPECT_EQ(angles[16], 67.0f);  // update 17
    EXPECT_EQ(angles[17], 67.0f);  // update 18 passes 70 and recovers at once
    EXPECT_EQ(angles[18], 63.0f);
    EXPECT_EQ(angles[33], 3.0f);  // update 34
    EXPECT_EQ(angles[34], 0.0f);  // update 35: below zero, raised to 0 by the stroke step
    EXPECT_EQ(m.state.paddle1.swingPhase, 0);
}

TEST(StepSwings, PaddleTwoTraceWithEnterSeenOnce) {
    Match m = swingMatch();
    std::vector<float> angles;
    std::vector<int> phases;
    for (int update = 1; update <= 37; ++update) {
        m.input.keys[KeyEnter] = update == 1 ? 1 : 0;
        updateMatch(m, 19);  // q = 4 for 16 to 19 ms
        angles.push_back(m.state.paddle2.swingAngle);
        phases.push_back(m.state.paddle2.swingPhase);
    }
    EXPECT_EQ(angles[0], 0.0f);
    EXPECT_EQ(angles[1], 4.0f);
    EXPECT_EQ(angles[17], 68.0f);  // update 18
    EXPECT_EQ(angles[18], 68.0f);  // update 19: recovery begins
    EXPECT_EQ(angles[19], 64.0f);
    EXPECT_EQ(angles[35], 0.0f);  // update 36, still recovering
    EXPECT_EQ(phases[35], 3);
    EXPECT_EQ(angles[36], 0.0f);  // update 37
    EXPECT_EQ(phases[36], 0);
}

TEST(StepSwings, UnderFourMillisecondsOnlyPaddleOnesWindUpMoves) {
    Match m = plainMatch();
    Paddle& p1 = m.state.paddle1;
    Paddle& p2 = m.state.paddle2;
    p1.swingPhase = 1;
    p1.swingAngle = 5;
    p2.swingPhase = 1;
    p2.swingAngle = 5;
    stepSwings(m, 3);
    EXPECT_EQ(p1.swingAngle, 4.0f);
    EXPECT_EQ(p2.swingAngle, 5.0f);
    p1.swingPhase = 2;
    p2.swingPhase = 3;
    stepSwings(m, 3);
    EXPECT_EQ(p1.swingAngle, 4.0f);
    EXPECT_EQ(p2.swingAngle, 5.0f);
}

TEST(StepSwings, AHeldButtonKeepsRestartingTheWindUp) {
    Match m = swingMatch();
    m.input.leftButton = 1;
    std::vector<float> angles;
    for (int update = 0; update < 8; ++update) {
        updateMatch(m, 16);
        angles.push_back(m.state.paddle1.swingAngle);
    }
    // q = 4: 3, 2, 1, 0, then below zero so a fresh forward step: 3, ...
    EXPECT_EQ(angles, (std::vector<float>{3, 2, 1, 0, 3, 2, 1, 0}));
}

TEST(StepSwings, AHugeStepRunsEveryPhaseInOneUpdate) {
    Match m = plainMatch();
    Paddle& p = m.state.paddle2;
    p.swingPhase = 1;
    p.swingAngle = 0;
    stepSwings(m, 400);  // q = 100: 0 - 100 < 0, + 100 = 0 (not > 70): stays forward
    EXPECT_EQ(p.swingPhase, 2);
    EXPECT_EQ(p.swingAngle, 0.0f);
    p.swingPhase = 1;
    p.swingAngle = 2;
    stepSwings(m, 400);  // -98, then 2 (not > 70)
    EXPECT_EQ(p.swingPhase, 2);
    p.swingPhase = 2;
    p.swingAngle = 0;
    stepSwings(m, 400);  // 100 > 70: recovery at once, back to 0, which does not end it
    EXPECT_EQ(p.swingPhase, 3);
    EXPECT_EQ(p.swingAngle, 0.0f);
}

TEST(UpdateMatch, AHumanServeIsHeldBesideThePaddleAndTossedByAClick) {
    Match m = plainMatch();
    m.settings.player1Mouse = true;
    m.settings.screenWidth = 1000;
    m.settings.screenHeight = 1000;
    MatchState& s = m.state;
    s.rallyState = P1ToServe;
    s.paddle1.x = 30;
    s.paddle1.z = 180;
    m.input.pointerX = 500;
    m.input.pointerY = 700;
    updateMatch(m, 16);
    EXPECT_EQ(s.rallyState, P1ToServe);
    EXPECT_EQ(s.ballX, 40.0f);  // the old paddle place: the paddle moves after the flight
    EXPECT_EQ(s.ballZ, 170.0f);
    EXPECT_LT(s.ballY, 98.2f);  // one flight step of fall from the hold height
    EXPECT_GT(s.ballY, 98.1f);
    EXPECT_EQ(s.paddle1.x, 0.0f);
    EXPECT_EQ(s.paddle1.z, float(0.7 * 274));

    m.input.leftButton = 1;
    updateMatch(m, 16);
    EXPECT_EQ(s.rallyState, P1Toss);
    EXPECT_EQ(m.input.leftButton, 0);  // the toss uses the press up
    EXPECT_GT(s.ballVY, 80.0f);
    EXPECT_EQ(s.paddle1.swingPhase, 0);  // no swing from the tossing press
}

TEST(UpdateMatch, AHumanPlayerTwoTossesWithEnter) {
    Match m = plainMatch();
    m.settings.gameSpeed = 14;
    m.settings.gravityScale = 12;
    m.settings.player2Keyboard = true;
    m.settings.player1Mouse = true;
    MatchState& s = m.state;
    s.rallyState = P2ToServe;
    s.paddle2.x = -20;
    s.paddle2.z = -200;
    m.input.keys[KeyEnter] = 1;
    updateMatch(m, 16);
    EXPECT_EQ(s.rallyState, P2Toss);
    EXPECT_EQ(m.input.keys[KeyEnter], 0);
    EXPECT_EQ(s.paddle2.swingPhase, 0);  // the tossing press starts no swing
    EXPECT_EQ(s.ballX, -10.0f);
    EXPECT_GT(s.ballVY, 85.0f);  // tossed at 90, one flight step of gravity since

    // The toss is struck on the way down with the human's straight swing: no sideways speed.
    int updates = 0;
    while (s.rallyState == P2Toss && updates++ < 200) {
        updateMatch(m, 16);
    }
    EXPECT_EQ(s.rallyState, P2Serve);
    EXPECT_LT(s.ballY, 88.2f + 1);
}

TEST(UpdateMatch, EnterDoesNotTossForAComputerPlayerTwo) {
    Match m = plainMatch();
    m.state.rallyState = P2ToServe;
    m.input.keys[KeyEnter] = 1;
    updateMatch(m, 16);
    // The computer tosses by itself; Enter still starts paddle 2's swing, which the computer's
    // toss puts back into its wind-up.
    EXPECT_EQ(m.state.rallyState, P2Toss);
    EXPECT_EQ(m.input.keys[KeyEnter], 1);
}

TEST(UpdateMatch, EscapeAndF1BecomeRequestsAfterTheStep) {
    Match m = plainMatch();
    m.input.keys[KeyEscape] = 1;
    m.input.keys[KeyF1] = 1;
    updateMatch(m, 16);
    EXPECT_TRUE(m.requests.quit);
    EXPECT_TRUE(m.requests.toggleFullscreen);
    EXPECT_EQ(m.state.rallyState, P1Toss);  // the update still ran in full
    clearRequests(m);
    m.input.keys[KeyEscape] = 0;
    m.input.keys[KeyF1] = 2;  // only the value 1 counts as down
    updateMatch(m, 16);
    EXPECT_FALSE(m.requests.quit);
    EXPECT_FALSE(m.requests.toggleFullscreen);
}

TEST(InitMatchState, KeepsTheScoreAndDecidesTheServe) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.score1 = 4;
    s.score2 = 3;
    s.firstServer = 2;
    s.rallyState = P1Shot;
    s.ballX = 12;
    s.ballVZ = -200;
    s.paddle1.x = 33;
    s.paddle1.swingAngle = 20;
    s.winSoundPlayed = 1;
    m.input.leftButton = 1;
    initMatchState(m);
    EXPECT_EQ(s.score1, 4);
    EXPECT_EQ(s.score2, 3);
    EXPECT_EQ(s.rallyState, P1ToServe);  // n = 7: n / 2 = 3 is odd, so not the first server
    EXPECT_EQ(s.paddle1.z, 200.0f);
    EXPECT_EQ(s.paddle2.z, -200.0f);
    EXPECT_EQ(s.paddle1.y, 88.2f);
    EXPECT_EQ(s.ballY, 88.2f);
    EXPECT_EQ(s.paddle1.homeZ, 175.0f);
    EXPECT_EQ(s.paddle1.swingPhase, 3);
    EXPECT_EQ(s.ballX, 12.0f);
    EXPECT_EQ(s.ballVZ, -200.0f);
    EXPECT_EQ(s.paddle1.x, 33.0f);
    EXPECT_EQ(s.winSoundPlayed, 1);
    EXPECT_EQ(m.input.leftButton, 0);
}

TEST(InitMatchState, TheFirstServeOfEveryRunIsPlayerTwos) {
    Match m;  // settings not yet read: the draw alone decides at 0-0
    initMatchState(m);
    EXPECT_EQ(m.state.firstServer, 2);
    EXPECT_EQ(m.state.rallyState, P2ToServe);
}

TEST(DrawingWrites, PaddlesFollowAHighBallOverTheTable) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.paddle1.y = 88.2f;
    s.ballX = 10;
    s.ballZ = 40;
    s.ballY = 97.2f;  // not above 97.2
    liftPaddleToBall(m, s.paddle1);
    EXPECT_EQ(s.paddle1.y, 88.2f);
    s.ballY = 97.3f;
    liftPaddleToBall(m, s.paddle1);
    EXPECT_FLOAT_EQ(s.paddle1.y, 107.3f);
    s.ballY = 90;  // the paddle stays at the last height reached
    liftPaddleToBall(m, s.paddle1);
    EXPECT_FLOAT_EQ(s.paddle1.y, 107.3f);
    s.ballY = 150;
    s.ballX = 76.25f;  // on the edge line: not over the table
    liftPaddleToBall(m, s.paddle1);
    EXPECT_FLOAT_EQ(s.paddle1.y, 107.3f);
}

TEST(DrawingWrites, TheWinJingleIsRequestedOncePerGame) {
    Match m = plainMatch();
    m.state.rallyState = P2WinsGame;
    requestWinSound(m);
    requestWinSound(m);
    ASSERT_EQ(m.requests.soundCount, 1);
    EXPECT_STREQ(m.requests.sounds[0], "sounds/playerwins.wav");
    initMatchState(m);  // a window re-creation keeps the flag
    clearRequests(m);
    requestWinSound(m);
    EXPECT_EQ(m.requests.soundCount, 0);
}

}  // namespace
}  // namespace spinvale
