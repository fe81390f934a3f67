// The statistics of a game as the players read them: a page for each player, in the menu's
// style, shown side by side. Over a won game they stand in for its result: the winner's page
// says who won, and the pages say what Enter and Esc do, as the result does; in the menu they
// say how to go back.
#pragma once

#include <array>
#include <vector>

#include "game_statistics.h"
#include "page.h"

namespace spinvale {

// Player 1's page, then player 2's; winner: the player who won the game, 0 in the menu.
// newGames: Enter starts a new game (in a game of the player's own).
std::array<std::vector<PageLine>, 2> statisticsPages(const GameStatistics& statistics, int winner,
                                                     bool newGames = true);

}  // namespace spinvale
