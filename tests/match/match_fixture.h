// Small helpers shared by the match tests.
#pragma once

#include <initializer_list>

#include "operations.h"

namespace spinvale {

// A match with plain settings: one unit of game speed and gravity, an 11-point game, a
// 1000 x 1000 pixel screen, both players on the computer unless a test says otherwise.
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

// An update's command: its elapsed time, the keys down and the button news.
inline UpdateInput command(uint32_t elapsedMs, std::initializer_list<int> keys = {},
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
