// The rules every update keeps, whatever the settings and the input: checked after each
// update by the soak and by the property tests.
#pragma once

#include <string>

#include "match.h"

namespace spinvale {

// The first rule that the update from before to after broke, "" when it kept them all: no
// NaN or infinity in the record, only known rally states, only the state changes one update
// can make, scores that grow at most one point at a time and stop at a legal win.
std::string brokenRule(const MatchState& before, const MatchState& after, int32_t pointsPerGame);

}  // namespace spinvale
