// Small helpers shared by the match tests.
#pragma once

#include <vector>

#include "operations.h"

namespace spinvale {

// Game speed and gravity 1, an 11-point game, a 1000 x 1000 screen, two computer players.
inline Match plainMatch() {
    Match m;
    m.settings = defaultGameSettings();
    m.settings.gameSpeed = m.settings.gravityScale = 1;
    m.settings.screenWidth = m.settings.screenHeight = 1000;
    m.settings.player1Mouse = m.settings.player2Keyboard = false;
    return m;
}

inline void placeBall(MatchState& s, float x, float y, float z, float vx, float vy, float vz) {
    s.ballX = x, s.ballY = y, s.ballZ = z;
    s.ballVX = vx, s.ballVY = vy, s.ballVZ = vz;
}

inline UpdateInput command(uint32_t elapsedMs, const std::vector<int>& keys = {},
                           ButtonMessage button = ButtonMessage::None) {
    UpdateInput input;
    input.elapsedMs = elapsedMs;
    input.button = button;
    for (int key : keys) {
        input.keys.set(static_cast<std::size_t>(key));
    }
    return input;
}

}  // namespace spinvale
