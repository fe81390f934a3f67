// Service rotation and winning, against the rule book's worked tables.
#include <gtest/gtest.h>

#include "operations.h"

namespace spinvale {
namespace {

RallyState decide(int32_t points, int32_t score1, int32_t score2, int32_t firstServer) {
    Match m;
    m.settings.pointsPerGame = points;
    m.state.score1 = score1;
    m.state.score2 = score2;
    m.state.firstServer = firstServer;
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
