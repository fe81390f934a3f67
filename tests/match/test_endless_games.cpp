// The settings warned about are those where long computer runs found games that do not end.
#include <gtest/gtest.h>

#include <tuple>

#include "endless_games.h"

namespace spinvale {
namespace {

std::string warningFor(float speed, float gravity) {
    GameSettings g = defaultGameSettings();
    g.gameSpeed = speed;
    g.gravityScale = gravity;
    return endlessGameWarning(g);
}

TEST(EndlessGames, WarnsWhereMostSoakGamesDidNotEndAndOnlyThere) {
    // Cells of the soak where most games never ended, one or more per kind of endless game.
    const std::tuple<float, float, const char*> endless[] = {
        {1, 12, "bounces twice"}, {4, 14, "bounces twice"}, {5, 7, "slow to a stop"},
        {6, 5, "slow to a stop"}, {9, 4, "flies long"},     {18, 6, "flies long"}};
    for (const auto& [speed, gravity, kind] : endless) {
        EXPECT_NE(warningFor(speed, gravity).find(kind), std::string::npos)
            << speed << " " << gravity;
    }
    // Cells where every game ended, the shipped settings first. With the let rule, slow shots
    // that used to crawl for ever now end their rallies.
    const float safe[][2] = {{14, 12}, {5, 8},  {6, 6},  {7, 6},  {8, 9},
                             {9, 7},   {12, 9}, {16, 8}, {20, 9}, {5, 14}};
    for (const auto& cell : safe) {
        EXPECT_EQ(warningFor(cell[0], cell[1]), "") << cell[0] << " " << cell[1];
    }
}

}  // namespace
}  // namespace spinvale
