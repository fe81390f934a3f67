// What the keyboard, the mouse button and the gamepads did since the previous update, made
// into the update's command. Nothing is lost between two updates: a key or a click that
// went down and up again in between counts as down for one update, and its release takes
// effect in the update after that.
#pragma once

#include <SDL_events.h>

#include <array>
#include <bitset>
#include <cstdint>

#include "match.h"

namespace spinvale {

// The two things that can hold one of the match's keys down: the keyboard and the gamepads
// (which act as the arrows, Enter and Esc).
enum class KeySource : uint8_t { Keyboard, Gamepad };

using KeySet = std::bitset<256>;

struct InputCapture {
    std::array<KeySet, 2> held;   // per source, the keys it holds down now
    KeySet pressed;               // keys pressed since the last command, let go or not
    bool buttonDown = false;      // the left button as its last event left it
    bool buttonPressed = false;   // a press since the last command
    bool buttonReleased = false;  // a release since the last command
    bool releaseDue = false;      // a quick click's release, for the next command
};

// A key stays down while any source holds it, so that letting go of the pad's left does
// not lift the Left arrow still held on the keyboard.
void pressKey(InputCapture& capture, KeySource source, int code);
void releaseKey(InputCapture& capture, KeySource source, int code);

// A key going down or up; a held key's repeats change nothing. Alt+Enter is the toggle
// shortcut that SDL games share: it taps F1 instead of pressing Enter, so the match asks for
// the toggle as it does for F1 and a recording holds the F1 that the runner replays.
void captureKey(InputCapture& capture, const SDL_KeyboardEvent& event);

// The left button going down or up.
void captureButton(InputCapture& capture, bool down);

// A new window starts with every key up and no button news, whatever is still held.
void releaseAll(InputCapture& capture);

// The command of the coming update; what happened is counted afresh from here.
UpdateInput takeUpdateInput(InputCapture& capture, uint32_t elapsedMs, int32_t pointerX,
                            int32_t pointerY);

}  // namespace spinvale
