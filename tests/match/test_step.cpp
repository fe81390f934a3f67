// One update on one command: swings, the Enter toss, the input the match keeps,
// the window requests, the frame's writes after the update, and what a restart does; then
// service rotation and winning, against the rule book's worked tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "match_fixture.h"

namespace spinvale {
namespace {

// Both players human in a rally no paddle can reach: the ball hangs frozen far off the
// table, so only the swings move.
Match swingMatch() {
    Match m = plainMatch();
    m.settings.player1Mouse = m.settings.player2Keyboard = true;
    m.settings.gameSpeed = 0;
    m.state.rallyState = P2ToReturn, m.state.ballY = 300;
    m.state.ballX = m.state.ballZ = m.state.prevBallZ = 500;
    return m;
}

TEST(StepSwings, WorkedTracesWithTheButtonAndEnterSeenOnce) {
    // q = 4 for 16 to 19 ms. Paddle 1: a wind-up of one degree takes it below zero at once,
    // then 4 degrees an update; the update that passes 70 recovers at once; below zero is
    // shown as 0. Paddle 2's wind-up moves by q too.
    Match m = swingMatch();
    std::vector<float> p1, p2, expected1, expected2;
    for (int k = 1; k <= 37; ++k) {
        const ButtonMessage button = k == 1   ? ButtonMessage::Pressed
                                     : k == 2 ? ButtonMessage::Released
                                              : ButtonMessage::None;
        UpdateInput input = command(19, {}, button);
        input.keys[KeyEnter] = k == 1;
        stepMatch(m, input);
        p1.push_back(m.state.paddle1.swingAngle);
        p2.push_back(m.state.paddle2.swingAngle);
        expected1.push_back(float(k <= 17 ? 4 * k - 1 : std::max(0, 67 - 4 * (k - 18))));
        expected2.push_back(float(k <= 18 ? 4 * (k - 1) : std::max(0, 68 - 4 * (k - 19))));
        if (k == 36) {
            EXPECT_EQ(m.state.paddle2.swingPhase, SwingPhase::Recovery);  // still at 0
        }
    }
    EXPECT_EQ(p1, expected1);
    EXPECT_EQ(p2, expected2);
    EXPECT_EQ(m.state.paddle2.swingPhase, SwingPhase::Idle);
}

TEST(StepMatch, EnterTossesAHumanPlayerTwosServeAndStaysUsedUpUntilLetGo) {
    Match m = plainMatch();
    m.settings.gameSpeed = 14, m.settings.gravityScale = 12;
    m.settings.player1Mouse = m.settings.player2Keyboard = true;
    MatchState& s = m.state;
    s.rallyState = P2ToServe, s.paddle2.x = -20, s.paddle2.z = -200;
    stepMatch(m, command(16, {KeyEnter}));
    EXPECT_EQ(s.rallyState, P2Toss);
    stepMatch(m, command(16, {KeyEnter}));  // still held: no swing
    EXPECT_EQ(s.paddle2.swingPhase, SwingPhase::Idle);
    stepMatch(m, command(16));
    stepMatch(m, command(16, {KeyEnter}));  // pressed again: a swing
    EXPECT_NE(s.paddle2.swingPhase, SwingPhase::Idle);

    Match c = plainMatch();  // a computer player 2 tosses by itself; Enter tosses nothing
    c.state.rallyState = P2ToServe;
    stepMatch(c, command(16, {KeyEnter, KeyEscape, KeyF1}));
    EXPECT_EQ(c.state.rallyState, P2Toss);
    EXPECT_FALSE(c.input.enterUsedByToss);
    EXPECT_TRUE(c.requests.quit && c.requests.toggleFullscreen);  // after the whole update
    stepMatch(c, command(16));
    EXPECT_FALSE(c.requests.quit || c.requests.toggleFullscreen);  // each step starts afresh
}

TEST(StepMatch, TheJingleSoundsOncePerGame) {
    Match w = plainMatch();
    w.state.score2 = 11, w.state.rallyState = P2WinsGame;
    stepMatch(w, command(16));
    ASSERT_EQ(w.requests.soundCount, 1);
    EXPECT_EQ(w.requests.sounds[0], Sound::PlayerWins);
    restartMatch(w, w.settings);  // a new window keeps the flag and the won game
    stepMatch(w, command(16));
    EXPECT_EQ(std::tuple(w.requests.soundCount, w.state.rallyState), std::tuple(0, P2WinsGame));
}

TEST(RestartMatch, KeepsTheScoreAndDecidesTheServeBeforeTakingTheSettings) {
    Match m = plainMatch();
    MatchState& s = m.state;
    s.score1 = 3, s.score2 = 2, s.firstServer = 2, s.rallyState = P1Shot;
    s.ballX = 12, s.paddle1.x = 33;  // left alone
    m.input.leftButton = 1, m.input.enterUsedByToss = true;
    GameSettings next = m.settings;
    next.pointsPerGame = 21;
    restartMatch(m, next);
    // n = 5 under 11 points: n / 2 = 2, the first server; a new window starts with every key up.
    EXPECT_EQ(std::tuple(s.score1, s.score2, s.rallyState, m.settings.pointsPerGame),
              std::tuple(3, 2, P2ToServe, 21));
    EXPECT_EQ(std::tuple(s.paddle1.z, s.paddle1.homeZ, s.ballX, s.paddle1.x),
              std::tuple(200.0f, 175.0f, 12.0f, 33.0f));
    EXPECT_EQ(std::tuple(m.input.leftButton, m.input.enterUsedByToss), std::tuple(0, false));
}

TEST(Let, ABallThatHardlyMovesForThreeSecondsIsPlayedAgain) {
    // A computer return hanging in the air at the far end of the table, moving at 4.9 along
    // it: 2,999 ms give no let, one more millisecond does.
    Match m = plainMatch();
    m.settings.gameSpeed = 0;  // nothing moves the ball
    MatchState& s = m.state;
    s.score1 = 3, s.score2 = 2, s.firstServer = 1, s.rallyState = P2ToReturn;
    placeBall(s, 300, 200, -300, 0, 0, 4.9f);
    for (int i = 0; i < 29; ++i) {
        stepMatch(m, command(100));
    }
    stepMatch(m, command(99));
    EXPECT_EQ(std::tuple(s.stallMs, s.rallyState), std::tuple(2999, P2ToReturn));
    stepMatch(m, command(1));  // 3-2: n / 2 = 2 is even, the first server
    EXPECT_EQ(std::tuple(s.stallMs, s.rallyState, m.requests.soundCount),
              std::tuple(0, P1ToServe, 0));

    s.rallyState = P1ToReturn;  // one update at |ballVZ| >= 5 starts the count again
    s.ballVZ = -4.9f;
    stepMatch(m, command(2000));
    s.ballVZ = -5;
    stepMatch(m, command(16));
    EXPECT_EQ(s.stallMs, 0);
}

RallyState decide(int32_t points, int32_t score1, int32_t score2, int32_t firstServer) {
    Match m;
    m.settings.pointsPerGame = points, m.state.firstServer = firstServer;
    m.state.score1 = score1, m.state.score2 = score2;
    decideNextServe(m);
    return m.state.rallyState;
}

// First server player 1; each row is checked again mirrored, with player 2 serving first.
// The service changes every 2 points (every 5 in a 21-point game) and every point from deuce.
TEST(DecideNextServe, ServiceTablesOfBothGameLengths) {
    const struct {
        int points, s1, s2;
        RallyState expected;
    } rows[] = {
        {11, 1, 0, P1ToServe},    {11, 1, 1, P2ToServe},    {11, 2, 0, P2ToServe},
        {11, 2, 1, P2ToServe},    {11, 3, 0, P2ToServe},    {11, 2, 2, P1ToServe},
        {11, 3, 2, P1ToServe},    {11, 4, 0, P1ToServe},    {11, 9, 1, P2ToServe},
        {11, 10, 0, P2ToServe},   {11, 9, 9, P2ToServe},    {11, 10, 9, P2ToServe},
        {11, 10, 10, P1ToServe},  {11, 11, 10, P2ToServe},  {11, 11, 11, P1ToServe},
        {11, 12, 11, P2ToServe},  {11, 11, 9, P1WinsGame},  {11, 12, 10, P1WinsGame},
        {11, 11, 0, P1WinsGame},  {21, 2, 2, P1ToServe},    {21, 3, 2, P2ToServe},
        {21, 4, 1, P2ToServe},    {21, 5, 0, P2ToServe},    {21, 10, 0, P1ToServe},
        {21, 12, 2, P1ToServe},   {21, 10, 10, P1ToServe},  {21, 19, 19, P2ToServe},
        {21, 20, 19, P2ToServe},  {21, 20, 20, P1ToServe},  {21, 21, 20, P2ToServe},
        {21, 21, 19, P1WinsGame}, {21, 22, 20, P1WinsGame},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(decide(r.points, r.s1, r.s2, 1), r.expected) << r.s1 << "-" << r.s2;
        const RallyState mirrored = r.expected == P1ToServe   ? P2ToServe
                                    : r.expected == P2ToServe ? P1ToServe
                                                              : P2WinsGame;
        EXPECT_EQ(decide(r.points, r.s2, r.s1, 2), mirrored) << r.s2 << "-" << r.s1;
    }
}

}  // namespace
}  // namespace spinvale
