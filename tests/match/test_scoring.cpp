// Service rotation and winning, against the rule book's worked tables.
#include <gtest/gtest.h>

#include "operations.h"

namespace spinvale {
namespace {

Match matchAt(int32_t points, int32_t score1, int32_t score2, int32_t firstServer) {
    Match m;
    m.settings.pointsPerGame = points;
    m.state.score1 = score1;
    m.state.score2 = score2;
    m.state.firstServer = firstServer;
    return m;
}

RallyState decide(int32_t points, int32_t score1, int32_t score2, int32_t firstServer) {
    Match m = matchAt(points, score1, score2, firstServer);
    decideNextServe(m);
    return m.state.rallyState;
}

TEST(RandomSequence, FirstDrawsOfEveryRun) {
    Match m;
    EXPECT_EQ(randomBelow(m, 32768), 41);
    EXPECT_EQ(randomBelow(m, 32768), 18467);
    EXPECT_EQ(randomBelow(m, 32768), 6334);
}

TEST(DecideNextServe, ElevenPointServiceTable) {
    struct Row {
        int s1, s2;
        RallyState expected;
    };
    const Row rows[] = {
        {0, 0, P1ToServe},   {1, 0, P1ToServe},   {1, 1, P2ToServe},    {2, 0, P2ToServe},
        {2, 1, P2ToServe},   {3, 0, P2ToServe},   {2, 2, P1ToServe},    {3, 2, P1ToServe},
        {4, 0, P1ToServe},   {9, 1, P2ToServe},   {10, 0, P2ToServe},   {9, 9, P2ToServe},
        {10, 9, P2ToServe},  {10, 10, P1ToServe}, {11, 10, P2ToServe},  {11, 11, P1ToServe},
        {12, 11, P2ToServe}, {11, 9, P1WinsGame}, {12, 10, P1WinsGame}, {11, 0, P1WinsGame},
    };
    for (const Row& r : rows) {
        if (r.s1 == 0 && r.s2 == 0) {
            continue;  // 0-0 draws the first server
        }
        EXPECT_EQ(decide(11, r.s1, r.s2, 1), r.expected) << r.s1 << "-" << r.s2;
        // The same table mirrored for first server player 2.
        const RallyState mirrored = r.expected == P1ToServe   ? P2ToServe
                                    : r.expected == P2ToServe ? P1ToServe
                                                              : P2WinsGame;
        EXPECT_EQ(decide(11, r.s2, r.s1, 2), mirrored) << r.s2 << "-" << r.s1;
    }
}

TEST(DecideNextServe, TwentyOnePointServiceTable) {
    EXPECT_EQ(decide(21, 2, 2, 1), P1ToServe);
    EXPECT_EQ(decide(21, 3, 2, 1), P2ToServe);
    EXPECT_EQ(decide(21, 4, 1, 1), P2ToServe);
    EXPECT_EQ(decide(21, 5, 0, 1), P2ToServe);
    EXPECT_EQ(decide(21, 10, 0, 1), P1ToServe);
    EXPECT_EQ(decide(21, 12, 2, 1), P1ToServe);
    EXPECT_EQ(decide(21, 10, 10, 1), P1ToServe);  // not yet every point: n / 5 = 4
    EXPECT_EQ(decide(21, 19, 19, 1), P2ToServe);  // n / 5 = 7
    EXPECT_EQ(decide(21, 20, 19, 1), P2ToServe);
    EXPECT_EQ(decide(21, 20, 20, 1), P1ToServe);
    EXPECT_EQ(decide(21, 21, 20, 1), P2ToServe);
    EXPECT_EQ(decide(21, 21, 19, 1), P1WinsGame);
    EXPECT_EQ(decide(21, 22, 20, 1), P1WinsGame);
    EXPECT_EQ(decide(21, 19, 21, 1), P2WinsGame);
}

}  // namespace
}  // namespace spinvale
