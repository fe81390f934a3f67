#include "statistics_page.h"

#include <cmath>
#include <string>

namespace spinvale {

namespace {

PageLine counted(const char* what, int32_t count) {
    return {LineStyle::Body, what + std::to_string(count)};
}

}  // namespace

std::array<std::vector<PageLine>, 2> statisticsPages(const GameStatistics& statistics, int winner,
                                                     bool newGames) {
    const char* notes[2][2] = {
        {"Enter, Esc or a click: back to the menu.", "Tab: back to the game."},
        {newGames ? "Enter: new game" : "Tab: the menu", "Press Esc to exit"}};
    std::array<std::vector<PageLine>, 2> pages;
    for (int player = 1; player <= 2; ++player) {
        const PlayerStatistics& p = statistics.player(player);
        const std::string name = "Player " + std::to_string(player);
        pages[player - 1] = {
            {LineStyle::Title, winner == player ? name + " wins the game!" : name},
            counted("Points won on own serve: ", p.pointsOnOwnServe),
            counted("Points won on the other's serve: ", p.pointsOnOtherServe),
            counted("Longest rally (strokes): ", statistics.longestRally()),
            counted("Returns that landed: ", p.returnsLanded),
            counted("Strokes with side-spin: ", p.spinStrokes),
            {LineStyle::Body,
             "Fastest ball: " + std::to_string(std::lround(p.fastestKmh)) + " km/h"},
            {LineStyle::Note, ""},
            {LineStyle::Note, notes[winner != 0][player - 1]},
        };
    }
    return pages;
}

}  // namespace spinvale
