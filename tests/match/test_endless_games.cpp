// The settings warned about are those where long computer runs found games that do not end.
#include <gtest/gtest.h>

#include "endless_games.h"

namespace spinvale {
namespace {

std::string warningFor(float speed, float gravity) {
    GameSettings g = defaultGameSettings();
    g.gameSpeed = speed;
    g.gravityScale = gravity;
    return endlessGameWarning(g);
}

TEST(EndlessGames, TheShippedSettingsAreSafe) {
    EXPECT_EQ(endlessGameWarning(defaultGameSettings()), "");
}

TEST(EndlessGames, WarnsWhereMostSoakGamesDidNotEnd) {
    // Cells of the soak where most games never ended, one per kind of endless game.
    EXPECT_NE(warningFor(1, 12).find("bounces twice"), std::string::npos);
    EXPECT_NE(warningFor(3, 15).find("bounces twice"), std::string::npos);
    EXPECT_NE(warningFor(5, 14).find("crawl"), std::string::npos);
    EXPECT_NE(warningFor(6, 10).find("crawl"), std::string::npos);
    EXPECT_NE(warningFor(7, 6).find("crawl"), std::string::npos);
    EXPECT_NE(warningFor(8, 4).find("crawl"), std::string::npos);
    EXPECT_NE(warningFor(9, 4).find("flies long"), std::string::npos);
    EXPECT_NE(warningFor(13, 5).find("flies long"), std::string::npos);
    EXPECT_NE(warningFor(18, 6).find("flies long"), std::string::npos);
}

TEST(EndlessGames, QuietWhereEverySoakGameEnded) {
    const float safe[][2] = {{6, 12}, {7, 9},   {8, 9},  {9, 7},  {10, 8},
                             {12, 9}, {14, 12}, {16, 8}, {20, 9}, {11, 11}};
    for (const auto& cell : safe) {
        EXPECT_EQ(warningFor(cell[0], cell[1]), "") << cell[0] << " " << cell[1];
    }
}

}  // namespace
}  // namespace spinvale
