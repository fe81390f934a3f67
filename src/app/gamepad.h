// Gamepads for player 2. Any controller SDL knows acts on the keys the keyboard player uses:
// the left stick or the D-pad as the arrows, A (the south button) as Enter, Start as Esc,
// and Back as Tab, which opens the menu. They press the same keys as the keyboard, so the
// match and a recording cannot tell the two apart.
#pragma once

#include <SDL_events.h>
#include <SDL_gamecontroller.h>

#include <cstdint>
#include <functional>
#include <map>

#include "input_capture.h"
#include "match.h"

namespace spinvale {

// The part of a pad's state the game reads. SDL's stick axes run from -32768 (left, up)
// to 32767 (right, down).
struct PadReading {
    int16_t leftX = 0;
    int16_t leftY = 0;
    bool dpadLeft = false;
    bool dpadRight = false;
    bool dpadUp = false;
    bool dpadDown = false;
    bool south = false;
    bool start = false;
    bool back = false;
};

// A stick this close to its centre holds no arrow: worn sticks rest a little off centre.
constexpr int stickDeadZone = 8000;

// The match's keys that a pad in this state holds down.
KeySet keysHeldBy(const PadReading& pad);

struct Gamepads {
    std::map<SDL_JoystickID, SDL_GameController*> open;
    KeySet keys;  // the keys all open pads together hold down
};

// A key the pads pressed (down) or let go of.
using PadKeyChange = std::function<void(int code, bool down)>;

// Opens a controller when it is plugged in (SDL also reports those present at start),
// closes it when it is pulled out, and turns its button and stick changes into presses
// and releases of the gamepad's keys, handed to onKey. Other events are left alone.
void handleGamepadEvent(Gamepads& pads, const SDL_Event& event, const PadKeyChange& onKey);

void closeGamepads(Gamepads& pads);

}  // namespace spinvale
