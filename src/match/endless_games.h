// Settings under which computer games were found never to end: the game and the settings
// tool warn about them, but play on, since they follow from the rules of the match.
#pragma once

#include <string>

#include "match.h"

namespace spinvale {

// A one-line explanation when the game speed and gravity lie where long computer-against-
// computer runs found games that do not end; empty otherwise.
std::string endlessGameWarning(const GameSettings& settings);

}  // namespace spinvale
