// What the match looks like after an update, for people and for checks: the trace line that
// the game and the headless runner print, the finiteness check of the long runs, and the
// hash that the determinism tests and the two sides of a network game compare.
#pragma once

#include <cstdint>
#include <string>

#include "match.h"

namespace spinvale {

// One JSON line: the frame number and elapsed time, every field of the match record, the
// button flag, then the sounds and window requests of the update.
std::string formatTraceLine(int64_t frame, uint32_t elapsedMs, const Match& match);

// Every real of the record is a number (no NaN, no infinity).
bool allFieldsFinite(const MatchState& s);

// A hash of everything that decides the match's future: the record, the input the match
// keeps between updates and the random sequence. Equal matches give equal hashes.
uint64_t matchHash(const Match& match);

}  // namespace spinvale
