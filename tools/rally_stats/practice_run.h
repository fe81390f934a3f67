// The modelled player in a practice drill against the computer's serve, with the stroke
// coach watching: how many of its returns land, and whether taking the coach's timing
// advice makes it better.
#pragma once

#include <cstdint>

#include "match.h"
#include "modelled_player.h"
#include "practice.h"

namespace spinvale {

struct PracticeRun {
    GameSettings settings;
    PracticeRules rules;
    PlayerTraits traits;
    int64_t balls = 1000;
    uint32_t frameMs = 16;
    uint32_t seed = 1;
    bool followAdvice = false;  // a share of each stroke's timing advice shifts later clicks
};

// Plays balls until the count is reached and returns where they went.
ReturnsSummary playPractice(const PracticeRun& run);

}  // namespace spinvale
