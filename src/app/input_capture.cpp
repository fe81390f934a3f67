#include "input_capture.h"

#include "key_map.h"

namespace spinvale {

void captureKey(InputState& input, SDL_Keycode key, bool down, bool repeat) {
    const int code = virtualKeyFor(key);
    if (repeat || code == noVirtualKey) {
        return;
    }
    input.keys[code] = down ? 1 : 0;
}

void captureButton(InputState& input, InputCapture& capture, bool down) {
    input.leftButton = down ? 1 : 0;
    capture.buttonMessage = down ? ScriptInput::Pressed : ScriptInput::Released;
}

void releaseAllKeys(InputState& input) {
    for (int32_t& key : input.keys) {
        key = 0;
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
