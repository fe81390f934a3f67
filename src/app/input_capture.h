// What the window's key and button events leave in the match's input, and what a recording
// keeps of them so that the headless runner can hand the match the very same input.
#pragma once

#include <SDL_keycode.h>

#include <cstdint>

#include "match.h"
#include "replay.h"

namespace spinvale {

struct InputCapture {
    // The last button event since the previous update, or Unchanged when none came.
    ScriptInput::Button buttonMessage = ScriptInput::Unchanged;
};

// A key going down or up. A held key's repeats change nothing: its flag already stands at 1,
// or the match has cleared it (Enter, when it tosses a human player 2's serve) and it stays
// cleared until the key is pressed again.
void captureKey(InputState& input, SDL_Keycode key, bool down, bool repeat);

// The left button going down or up.
void captureButton(InputState& input, InputCapture& capture, bool down);

// The window's new keys start all up.
void releaseAllKeys(InputState& input);

// The input the coming update sees, as a script line records it: the clamped elapsed time,
// the pointer, the last button event since the previous update and the keys down now.
// Button events are counted afresh from here.
ScriptInput takeUpdateInput(InputCapture& capture, const InputState& input, uint32_t elapsedMs);

}  // namespace spinvale
