#include "input_capture.h"

namespace spinvale {

void captureKey(InputCapture& capture, const KeyEvent& key) {
    const auto code = static_cast<std::size_t>(key.code);
    KeySet& held = capture.held[static_cast<std::size_t>(key.source)];
    if (key.down) {
        held.set(code);
        capture.pressed.set(code);
    } else {
        held.reset(code);
    }
}

void captureButton(InputCapture& capture, bool down) {
    capture.buttonDown = down;
    capture.buttonPressed = capture.buttonPressed || down;
    capture.buttonReleased = capture.buttonReleased || !down;
}

void releaseAll(InputCapture& capture) {
    const bool buttonDown = capture.buttonDown;
    capture = InputCapture{};
    capture.buttonDown = buttonDown;
}

KeySet keysOf(const InputCapture& capture) {
    return capture.held[0] | capture.held[1] | capture.pressed;
}

UpdateInput takeUpdateInput(InputCapture& capture, uint32_t elapsedMs, int32_t pointerX,
                            int32_t pointerY) {
    UpdateInput input;
    input.elapsedMs = elapsedMs;
    input.pointerX = pointerX;
    input.pointerY = pointerY;
    input.keys = keysOf(capture);
    if (capture.buttonPressed) {
        input.button = ButtonMessage::Pressed;
        capture.releaseDue = !capture.buttonDown;
    } else if (capture.buttonReleased || capture.releaseDue) {
        input.button = ButtonMessage::Released;
        capture.releaseDue = false;
    }
    capture.pressed.reset();
    capture.buttonPressed = false;
    capture.buttonReleased = false;
    return input;
}

std::optional<UpdateInput> CapturedCommands::take(uint32_t elapsedMs) {
    int32_t x = 0;
    int32_t y = 0;
    readPointer_(x, y);
    return takeUpdateInput(capture_, elapsedMs, x, y);
}

}  // namespace spinvale
