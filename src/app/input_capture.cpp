#include "input_capture.h"

#include "key_map.h"

namespace spinvale {

namespace {

bool isEnter(SDL_Keycode key) {
    return key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

std::size_t slot(KeySource source) {
    return static_cast<std::size_t>(source);
}

}  // namespace

void pressKey(InputCapture& capture, KeySource source, int code) {
    capture.held[slot(source)].set(static_cast<std::size_t>(code));
    capture.pressed.set(static_cast<std::size_t>(code));
}

void releaseKey(InputCapture& capture, KeySource source, int code) {
    capture.held[slot(source)].reset(static_cast<std::size_t>(code));
}

void captureKey(InputCapture& capture, const SDL_KeyboardEvent& event) {
    const int code = virtualKeyFor(event.keysym.sym);
    if (event.repeat != 0 || code == noVirtualKey) {
        return;
    }
    if (event.type == SDL_KEYUP) {
        releaseKey(capture, KeySource::Keyboard, code);
    } else if (isEnter(event.keysym.sym) && (event.keysym.mod & KMOD_ALT) != 0) {
        capture.pressed.set(KeyF1);
    } else {
        pressKey(capture, KeySource::Keyboard, code);
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

UpdateInput takeUpdateInput(InputCapture& capture, uint32_t elapsedMs, int32_t pointerX,
                            int32_t pointerY) {
    UpdateInput input;
    input.elapsedMs = elapsedMs;
    input.pointerX = pointerX;
    input.pointerY = pointerY;
    input.keys = capture.held[0] | capture.held[1] | capture.pressed;
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

}  // namespace spinvale
