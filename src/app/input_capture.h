// What the keyboard, the mouse button and the gamepads did since the previous update, made
// into the update's command. Nothing is lost between two updates: a key or a click that
// went down and up again in between counts as down for one update, and its release takes
// effect in the update after that.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "input_events.h"
#include "match.h"
#include "match_driver.h"

namespace spinvale {

struct InputCapture {
    std::array<KeySet, 2> held;   // per source, the keys it holds down now
    KeySet pressed;               // keys pressed since the last command, let go or not
    bool buttonDown = false;      // the left button as its last event left it
    bool buttonPressed = false;   // a press since the last command
    bool buttonReleased = false;  // a release since the last command
    bool releaseDue = false;      // a quick click's release, for the next command
};

// A key going down or up. A key stays down while any source holds it, so that letting go
// of the pad's left does not lift the Left arrow still held on the keyboard.
void captureKey(InputCapture& capture, const KeyEvent& key);

// The left button going down or up.
void captureButton(InputCapture& capture, bool down);

// A new window starts with every key up and no button news, whatever is still held.
void releaseAll(InputCapture& capture);

// The keys held or pressed since the last command.
KeySet keysOf(const InputCapture& capture);

// The command of the coming update; what happened is counted afresh from here.
UpdateInput takeUpdateInput(InputCapture& capture, uint32_t elapsedMs, int32_t pointerX,
                            int32_t pointerY);

// The window's command source: the capture, with the pointer read once per update (in
// screen pixels) so that every reading the match makes in it agrees and a recording holds
// the one position the update saw.
class CapturedCommands : public CommandSource {
  public:
    using ReadPointer = std::function<void(int32_t& x, int32_t& y)>;

    CapturedCommands(InputCapture& capture, ReadPointer readPointer)
        : capture_(capture), readPointer_(std::move(readPointer)) {}

    KeySet keys() const override { return keysOf(capture_); }
    std::optional<UpdateInput> take(uint32_t elapsedMs) override;

  private:
    InputCapture& capture_;
    ReadPointer readPointer_;
};

}  // namespace spinvale
