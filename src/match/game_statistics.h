// The statistics of one game, counted from the updates as they are carried out. A network
// game counts its confirmed updates, so both sides show the same numbers.
#pragma once

#include <cstdint>

#include "match.h"

namespace spinvale {

struct PlayerStatistics {
    int32_t pointsOnOwnServe = 0;
    int32_t pointsOnOtherServe = 0;
    int32_t returnsLanded = 0;  // returns (not serves) that bounced on the far half
    int32_t spinStrokes = 0;    // serves and returns that put side-spin on the ball
    float fastestKmh = 0;       // the fastest ball the player struck
};

// A stroke puts side-spin on the ball when the spin reaches this much while its shot flies:
// the computer's is a whole number, a mouse player's is the pointer's sideways travel after
// the stroke. Drag alone leaves a shot with none a few hundredths.
constexpr double sideSpinAtLeast = 0.5;

class GameStatistics {
  public:
    // One update: the match before it and after it.
    void count(const Match& before, const Match& after);

    const PlayerStatistics& player(int number) const { return players_[number - 1]; }
    int32_t longestRally() const { return longestRally_; }  // strokes, the serve included

  private:
    void countStroke(int striker, bool isReturn, const Match& after);

    PlayerStatistics players_[2];
    int32_t longestRally_ = 0;
    int32_t rally_ = 0;
    int server_ = 0;   // who served the point in play
    int striker_ = 0;  // who struck the ball in play
    bool strokeIsReturn_ = false;
    bool spinCounted_ = false;
};

}  // namespace spinvale
