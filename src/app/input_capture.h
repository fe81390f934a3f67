// What the window's key and button events, and the gamepad's, leave in the match's input,
// and what a recording keeps of them so that the headless runner can hand the match the
// very same input.
#pragma once

#include <SDL_events.h>

#include <array>
#include <bitset>
#include <cstdint>

#include "match.h"
#include "replay.h"

namespace spinvale {

// The two things that can hold one of the match's keys down: the keyboard and the gamepads
// (which act as the arrows, Enter and Esc).
enum class KeySource : uint8_t { Keyboard, Gamepad };

using KeySet = std::bitset<256>;

struct InputCapture {
    // The last button event since the previous update, or Unchanged when none came.
    ScriptInput::Button buttonMessage = ScriptInput::Unchanged;
    // Per source, the keys it has pressed and not yet let go since the window was made.
    std::array<KeySet, 2> held;
};

// A source pressing a key sets its flag, as a key-down message would. The flag goes back
// to 0 only when no source holds the key any more, so that letting go of the pad's left
// does not lift the Left arrow still held on the keyboard.
void pressKey(InputState& input, InputCapture& capture, KeySource source, int code);
void releaseKey(InputState& input, InputCapture& capture, KeySource source, int code);

// A key going down or up. A held key's repeats change nothing: its flag already stands at 1,
// or the match has cleared it (Enter, when it tosses a human player 2's serve) and it stays
// cleared until the key is pressed again. Alt+Enter is the toggle shortcut that SDL games
// share: it presses F1 instead of Enter, so the match asks for the toggle as it does for F1
// and a recording holds the F1 that the headless runner replays. That F1 stays down until
// the new window starts with all keys up: a quick Alt+Enter between two updates still counts.
void captureKey(InputState& input, InputCapture& capture, const SDL_KeyboardEvent& event);

// The left button going down or up.
void captureButton(InputState& input, InputCapture& capture, bool down);

// The window's new keys start all up, whatever each source still holds.
void releaseAllKeys(InputState& input, InputCapture& capture);

// The input the coming update sees, as a script line records it: the clamped elapsed time,
// the pointer, the last button event since the previous update and the keys down now.
// Button events are counted afresh from here.
ScriptInput takeUpdateInput(InputCapture& capture, const InputState& input, uint32_t elapsedMs);

}  // namespace spinvale
