#include "input_capture.h"

#include "key_map.h"

namespace spinvale {

namespace {

bool isEnter(SDL_Keycode key) {
    return key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

}  // namespace

void pressKey(InputState& input, InputCapture& capture, KeySource source, int code) {
    capture.held[static_cast<std::size_t>(source)].set(static_cast<std::size_t>(code));
    input.keys[code] = 1;
}

void releaseKey(InputState& input, InputCapture& capture, KeySource source, int code) {
    const auto key = static_cast<std::size_t>(code);
    capture.held[static_cast<std::size_t>(source)].reset(key);
    for (const KeySet& held : capture.held) {
        if (held.test(key)) {
            return;
        }
    }
    input.keys[code] = 0;
}

void captureKey(InputState& input, InputCapture& capture, const SDL_KeyboardEvent& event) {
    const bool down = event.type == SDL_KEYDOWN;
    const int code = virtualKeyFor(event.keysym.sym);
    if (event.repeat != 0 || code == noVirtualKey) {
        return;
    }
    if (!down) {
        releaseKey(input, capture, KeySource::Keyboard, code);
    } else if (isEnter(event.keysym.sym) && (event.keysym.mod & KMOD_ALT) != 0) {
        pressKey(input, capture, KeySource::Keyboard, KeyF1);
    } else {
        pressKey(input, capture, KeySource::Keyboard, code);
    }
}

void captureButton(InputState& input, InputCapture& capture, bool down) {
    input.leftButton = down ? 1 : 0;
    capture.buttonMessage = down ? ScriptInput::Pressed : ScriptInput::Released;
}

void releaseAllKeys(InputState& input, InputCapture& capture) {
    for (int32_t& key : input.keys) {
        key = 0;
    }
    for (KeySet& held : capture.held) {
        held.reset();
    }
}

ScriptInput takeUpdateInput(InputCapture& capture, const InputState& input, uint32_t elapsedMs) {
    ScriptInput update;
    update.elapsedMs = elapsedMs;
    update.pointerX = input.pointerX;
    update.pointerY = input.pointerY;
    update.button = capture.buttonMessage;
    for (int key = 0; key < 256; ++key) {
        update.keysDown[key] = input.keys[key] == 1;
    }
    capture.buttonMessage = ScriptInput::Unchanged;
    return update;
}

}  // namespace spinvale
