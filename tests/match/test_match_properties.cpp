// Whole computer-vs-computer games: they end with a legal winner, the score moves one point
// at a time, every serve is made by the player the rotation names, nothing becomes NaN, and
// the same inputs give the same bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "match_fixture.h"
#include "replay.h"

namespace spinvale {
namespace {

bool knownState(RallyState r) {
    switch (r) {
        case P1Shot:
        case P2Shot:
        case P2ToReturn:
        case P1ToReturn:
        case P1ToServe:
        case P2ToServe:
        case P1Toss:
        case P2Toss:
        case P1Serve:
        case P2Serve:
        case P1WinsGame:
        case P2WinsGame:
            return true;
    }
    return false;
}

// Who must serve at this score, written from the rules of table tennis: the service
// changes every 2 points (every 5 in a 21-point game) and every point from deuce.
int expectedServer(const MatchState& s, int points) {
    const int deuce = points - 1;
    const int block = points == 11 ? 2 : 5;
    const int played = s.score1 + s.score2;
    const int changes = (s.score1 >= deuce && s.score2 >= deuce) ? played : played / block;
    return changes % 2 == 0 ? s.firstServer : 3 - s.firstServer;
}

struct GameSetup {
    float gameSpeed, gravityScale, aiSkill, aiSpeed;
    int32_t points;
    uint32_t seed;
    uint32_t minFrameMs, maxFrameMs;
};

// Plays one game to its end, checking every update; returns the number of updates.
long playCheckedGame(const GameSetup& g) {
    Match m;
    m.randomState = g.seed;
    initMatchState(m);
    m.settings = defaultGameSettings();
    m.settings.player1Mouse = false;
    m.settings.player2Keyboard = false;
    m.settings.gameSpeed = g.gameSpeed;
    m.settings.gravityScale = g.gravityScale;
    m.settings.aiSkill = g.aiSkill;
    m.settings.aiSpeed = g.aiSpeed;
    m.settings.pointsPerGame = g.points;

    uint32_t jitter = g.seed * 7919u + 13u;  // frame times from the test's own sequence
    long frame = 0;
    for (; frame < 3000000; ++frame) {
        jitter = jitter * 1103515245u + 12345u;
        const uint32_t span = g.maxFrameMs - g.minFrameMs + 1;
        const uint32_t elapsed = g.minFrameMs + (jitter >> 16) % span;
        const MatchState before = m.state;
        playHeadlessUpdate(m, elapsed);
        const MatchState& s = m.state;

        EXPECT_TRUE(allFieldsFinite(s)) << "frame " << frame;
        EXPECT_TRUE(knownState(s.rallyState)) << s.rallyState;
        const int gained1 = s.score1 - before.score1;
        const int gained2 = s.score2 - before.score2;
        EXPECT_TRUE((gained1 == 0 && gained2 == 0) ||
                    (gained1 + gained2 == 1 && gained1 >= 0 && gained2 >= 0))
            << "frame " << frame << ": " << before.score1 << "-" << before.score2 << " to "
            << s.score1 << "-" << s.score2;
        if (s.rallyState == P1Toss && before.rallyState != P1Toss) {
            EXPECT_EQ(expectedServer(s, g.points), 1) << s.score1 << "-" << s.score2;
        }
        if (s.rallyState == P2Toss && before.rallyState != P2Toss) {
            EXPECT_EQ(expectedServer(s, g.points), 2) << s.score1 << "-" << s.score2;
        }
        if (::testing::Test::HasFailure()) {
            return frame;
        }
        if (s.rallyState == P1WinsGame || s.rallyState == P2WinsGame) {
            const bool p1 = s.rallyState == P1WinsGame;
            const int winner = p1 ? s.score1 : s.score2;
            const int loser = p1 ? s.score2 : s.score1;
            EXPECT_GE(winner, g.points);
            EXPECT_GE(winner - loser, 2);
            EXPECT_TRUE(winner == g.points || winner - loser == 2) << "played on past the win";
            EXPECT_EQ(s.winSoundPlayed, 1);
            return frame + 1;
        }
    }
    ADD_FAILURE() << "the game did not end";
    return frame;
}

TEST(MatchProperties, ComputerGamesEndLegallyNearTheShippedSettings) {
    const float speeds[] = {13, 14, 15};
    const float gravities[] = {11, 12, 13};
    const float skills[] = {0.0f, 0.5f, 0.7f, 1.0f};
    const float aiSpeeds[] = {30, 40, 50};
    const uint32_t frameRanges[][2] = {{10, 10}, {16, 17}, {10, 40}, {25, 33}, {40, 40}};
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        const auto& frames = frameRanges[seed % 5];
        const GameSetup g{speeds[seed % 3],
                          gravities[(seed / 3) % 3],
                          skills[seed % 4],
                          aiSpeeds[(seed / 2) % 3],
                          seed % 4 == 0 ? 21 : 11,
                          seed,
                          frames[0],
                          frames[1]};
        SCOPED_TRACE(::testing::Message()
                     << "speed " << g.gameSpeed << " gravity " << g.gravityScale << " skill "
                     << g.aiSkill << " aiSpeed " << g.aiSpeed << " points " << g.points << " seed "
                     << g.seed << " frames " << g.minFrameMs << "-" << g.maxFrameMs << " ms");
        playCheckedGame(g);
        if (HasFailure()) {
            return;
        }
    }
}

TEST(MatchProperties, SameInputsGiveTheSameBits) {
    const auto play = [](uint32_t seed) {
        Match m;
        m.randomState = seed;
        initMatchState(m);
        m.settings = defaultGameSettings();
        m.settings.player1Mouse = false;
        std::string trace;
        for (int frame = 1; frame <= 20000; ++frame) {
            clearRequests(m);
            updateMatch(m, 10 + frame % 23);
            if (frame % 97 == 0) {
                trace += formatTraceLine(frame, 0, m);
            }
        }
        return std::make_pair(m.state, trace);
    };
    const auto first = play(5);
    const auto second = play(5);
    EXPECT_EQ(std::memcmp(&first.first, &second.first, sizeof(MatchState)), 0);
    EXPECT_EQ(first.second, second.second);
    EXPECT_NE(play(6).second, first.second);
}

}  // namespace
}  // namespace spinvale
