// One update: the toss, human paddles, window requests, the let, a restart; service rotation
// and winning by the rule book's tables. (The swings' degrees per update: the golden traces.)
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "match_fixture.h"

namespace spinvale {
namespace {

// Two humans in a rally no paddle can reach: the ball hangs frozen far off, only swings move.
Match swingMatch() {
    Match m = plainMatch();
    m.settings.player1Mouse = m.settings.player2Keyboard = true;
    m.settings.gameSpeed = 0;
    m.state.rallyState = P2ToReturn, m.state.ballY = 300;
    m.state.ballX = m.state.ballZ = m.state.prevBallZ = 500;
    return m;
}

// The press that tosses a human's serve (player 1's click, player 2's Enter) is used up by
// the toss: held on, it starts no swing; the next press does.
TEST(StepMatch, TheTossUsesUpItsPressAndTheNextOneSwings) {
    for (const int player : {1, 2}) {
        Match m = plainMatch();
        m.settings.player1Mouse = m.settings.player2Keyboard = true;
        MatchState& s = m.state;
        const Paddle& p = player == 1 ? s.paddle1 : s.paddle2;
        s.rallyState = player == 1 ? P1ToServe : P2ToServe;
        const UpdateInput press =
            player == 1 ? command(16, {}, ButtonMessage::Pressed) : command(16, {KeyEnter});
        const UpdateInput held = player == 1 ? command(16) : command(16, {KeyEnter});
        const UpdateInput letGo =
            player == 1 ? command(16, {}, ButtonMessage::Released) : command(16);
        stepMatch(m, press);
        EXPECT_EQ(std::tuple(s.rallyState, s.ballVY > 85, m.input.leftButton),
                  std::tuple(player == 1 ? P1Toss : P2Toss, true, 0));
        stepMatch(m, held);
        EXPECT_EQ(p.swingPhase, SwingPhase::Idle) << player;
        stepMatch(m, letGo);
        stepMatch(m, press);
        EXPECT_EQ(p.swingPhase, SwingPhase::Forward) << player;
    }
    Match c = plainMatch();  // a computer player 2 tosses by itself; Enter tosses nothing
    c.state.rallyState = P2ToServe;
    stepMatch(c, command(16, {KeyEnter, KeyEscape, KeyF1}));
    EXPECT_EQ(std::pair(c.state.rallyState, c.input.enterUsedByToss), std::pair(P2Toss, false));
    EXPECT_TRUE(c.requests.quit && c.requests.toggleFullscreen);  // after the whole update
    stepMatch(c, command(16));
    EXPECT_FALSE(c.requests.quit || c.requests.toggleFullscreen);  // each step starts afresh
}

// Player 2's arrows move it 0.4 cm a ms, opposite arrows cancel, the side follows the last move
// along x; the clamp at 152.5 is no move. Player 1's side follows the pointer past a dead band
// of 0.0001 of the screen's width (2 of 20000 pixels), and not once the swing reaches 2 degrees.
TEST(HumanPaddles, ArrowsAndTheClampMoveTwoThePointerTurnsOne) {
    Match m = swingMatch();
    Paddle &p1 = m.state.paddle1, &p2 = m.state.paddle2;
    p2.x = p2.prevX = 10, p2.z = -200, p2.side = PaddleSide::Backhand;
    const std::tuple<std::vector<int>, float, float, PaddleSide> keys[] = {
        {{KeyLeft}, 3.6f, -200, PaddleSide::Forehand},
        {{KeyRight, KeyUp}, 10, -206.4f, PaddleSide::Backhand},
        {{KeyLeft, KeyRight, KeyDown}, 10, -200, PaddleSide::Backhand}};
    for (const auto& [down, x, z, side] : keys) {
        stepMatch(m, command(16, down));
        EXPECT_NEAR(p2.x, x, 1e-4);
        EXPECT_NEAR(p2.z, z, 1e-4);
        EXPECT_EQ(p2.side, side) << x << ", " << z;
    }
    for (const float edge : {152.5f, -152.5f}) {
        p2.x = p2.prevX = edge - (edge > 0 ? 2 : -2);
        stepMatch(m, command(16, {edge > 0 ? KeyRight : KeyLeft}));
        const PaddleSide side = p2.side;
        stepMatch(m, command(16));
        EXPECT_EQ(std::tuple(p2.x, p2.prevX, p2.side), std::tuple(edge, edge, side));
    }

    m.settings.screenWidth = m.settings.screenHeight = 20000;
    const std::tuple<int, float, PaddleSide> pointer[] = {
        {10000, 0, PaddleSide::Forehand}, {9999, 0, PaddleSide::Forehand},
        {9996, 0, PaddleSide::Backhand},  {9997, 0, PaddleSide::Backhand},
        {10100, 2, PaddleSide::Backhand}, {10200, 1.9f, PaddleSide::Forehand}};
    for (const auto& [x, swing, side] : pointer) {
        UpdateInput input = command(16);
        input.pointerX = x, input.pointerY = 15000;
        p1.swingAngle = swing;
        stepMatch(m, input);
        EXPECT_EQ(p1.side, side) << x;
    }
    EXPECT_EQ(std::pair(p1.x, p1.z), std::pair(float(0.02 * 152.5), 205.5f));
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

// Two humans, the ball hanging far off the table at 4.9 along it. In play, 2,999 ms give no let
// and one more ms does: the serve the score calls (3-2: n / 2 = 2 is even, the first server), no
// point, no sound; an update at 5 starts the count again. A server holding the ball may wait
// five seconds and more: no let, the paddles stay where the players put them.
TEST(Let, ABallInPlayThatHardlyMovesForThreeSecondsIsPlayedAgainAServerMayWait) {
    for (const RallyState state :
         {P1Serve, P2Serve, P1Shot, P2Shot, P1ToReturn, P2ToReturn, P1ToServe, P2ToServe}) {
        const bool inPlay = state != P1ToServe && state != P2ToServe;
        Match m = plainMatch();
        m.settings.player1Mouse = m.settings.player2Keyboard = true;
        m.settings.gameSpeed = 0;  // nothing moves the ball
        MatchState& s = m.state;
        s.score1 = 3, s.score2 = 2, s.firstServer = 1, s.rallyState = state, s.paddle2.z = -150;
        placeBall(s, 300, 200, -300, 0, 0, 4.9f);
        const auto wait = [&m](uint32_t ms, int times = 1) {
            UpdateInput input = command(ms);
            input.pointerX = 500, input.pointerY = 600;  // paddle 1 at a depth of 164.4
            while (times-- > 0) {
                stepMatch(m, input);
            }
        };
        wait(100, 29);
        wait(99);
        EXPECT_EQ(std::tuple(s.stallMs, s.rallyState), std::tuple(inPlay ? 2999 : 0, state));
        wait(1);  // a let puts the paddles at 200 and -200, as a new window does
        EXPECT_EQ(std::tuple(s.stallMs, s.rallyState, s.score1, s.score2, m.requests.soundCount,
                             s.paddle1.z, s.paddle2.z),
                  std::tuple(0, inPlay ? P1ToServe : state, 3, 2, 0, inPlay ? 200 : 164.4f,
                             inPlay ? -200 : -150))
            << state;
        s.rallyState = state;
        wait(2000);
        s.ballVZ = -5;
        wait(0);  // 0 ms: not slowed on the way
        EXPECT_EQ(std::tuple(s.stallMs, s.rallyState), std::tuple(0, state)) << state;
    }
}

RallyState decide(int32_t points, int32_t score1, int32_t score2, int32_t firstServer) {
    Match m;
    m.settings.pointsPerGame = points, m.state.firstServer = firstServer;
    m.state.score1 = score1, m.state.score2 = score2;
    decideNextServe(m);
    return m.state.rallyState;
}

// First server player 1, each row again mirrored with player 2 first. The service changes every
// 2 points (every 5 in a 21-point game) and every point from deuce.
TEST(DecideNextServe, ServiceTablesOfBothGameLengths) {
    const std::tuple<int, int, int, RallyState> rows[] = {
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
    for (const auto& [points, s1, s2, expected] : rows) {
        EXPECT_EQ(decide(points, s1, s2, 1), expected) << s1 << "-" << s2;
        const RallyState mirrored = expected == P1ToServe   ? P2ToServe
                                    : expected == P2ToServe ? P1ToServe
                                                            : P2WinsGame;
        EXPECT_EQ(decide(points, s2, s1, 2), mirrored) << s2 << "-" << s1;
    }
}

}  // namespace
}  // namespace spinvale
