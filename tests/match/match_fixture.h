// Small helpers shared by the match tests.
#pragma once

#include "operations.h"

namespace spinvale {

// A match with plain settings: one unit of game speed and gravity, an 11-point game, a
// 1000 x 1000 pixel screen, both players on the computer unless a test says otherwise.
inline Match plainMatch() {
    Match m;
    m.settings = defaultGameSettings();
    m.settings.gameSpeed = 1;
    m.settings.gravityScale = 1;
    m.settings.screenWidth = 1000;
    m.settings.screenHeight = 1000;
    m.settings.player1Mouse = false;
    m.settings.player2Keyboard = false;
    return m;
}

// The float nearest a decimal, as the worked examples print their values.
inline float f32(double v) {
    return static_cast<float>(v);
}

}  // namespace spinvale
