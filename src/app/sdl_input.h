// SDL's input as the game's own events: the only place where SDL's keys, mouse, window
// events and game controllers are read. A new input device is one more producer here.
#pragma once

#include <SDL_events.h>
#include <SDL_gamecontroller.h>

#include <cstdint>
#include <map>
#include <vector>

#include "input_events.h"
#include "match_driver.h"

namespace spinvale {

// The virtual-key code the game reads a key by (Enter 13, Esc 27, arrows 37 to 40, F1 112,
// and the shell's Tab and Backspace), or -1 for a key the game never reads.
int virtualKeyFor(SDL_Keycode key);

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

// Player 2's gamepads press the keyboard player's keys: the left stick or the D-pad as the
// arrows, A (the south button) as Enter, Start as Esc and Back as Tab, so that the match
// and a recording cannot tell the two apart.
KeySet keysHeldBy(const PadReading& pad);

// The controllers plugged in (SDL also reports those present at start).
struct Gamepads {
    std::map<SDL_JoystickID, SDL_GameController*> open;
    KeySet keys;  // the keys all open pads together hold down
};

// The game's events an SDL event makes (none for most), added to events. Controllers are
// opened when plugged in and closed when pulled out, and their button and stick changes
// become presses and releases of the gamepad's keys.
void translateEvent(const SDL_Event& event, Gamepads& pads, std::vector<InputEvent>& events);

void closeGamepads(Gamepads& pads);

// The pointer's position on the screen, in pixels.
void readPointer(int32_t& x, int32_t& y);

}  // namespace spinvale
