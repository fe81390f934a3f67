#include "gamepad.h"

#include "key_map.h"

namespace spinvale {

namespace {

PadReading read(SDL_GameController* pad) {
    const auto button = [pad](SDL_GameControllerButton b) {
        return SDL_GameControllerGetButton(pad, b) != 0;
    };
    PadReading reading;
    reading.leftX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    reading.leftY = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    reading.dpadLeft = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    reading.dpadRight = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    reading.dpadUp = button(SDL_CONTROLLER_BUTTON_DPAD_UP);
    reading.dpadDown = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    reading.south = button(SDL_CONTROLLER_BUTTON_A);
    reading.start = button(SDL_CONTROLLER_BUTTON_START);
    reading.back = button(SDL_CONTROLLER_BUTTON_BACK);
    return reading;
}

// Presses what the pads newly hold and releases what they let go of, all pads together:
// a second pad's stick does not release the first pad's D-pad.
void followPads(Gamepads& pads, const PadKeyChange& onKey) {
    KeySet now;
    for (const auto& [id, pad] : pads.open) {
        now |= keysHeldBy(read(pad));
    }
    for (int code = 0; code < 256; ++code) {
        const auto key = static_cast<std::size_t>(code);
        if (now.test(key) != pads.keys.test(key)) {
            onKey(code, now.test(key));
        }
    }
    pads.keys = now;
}

void openPad(Gamepads& pads, int deviceIndex) {
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (pad == nullptr) {
        return;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
    // A pad already open is reported again when SDL starts; opening it twice only counted
    // another reference to it.
    if (!pads.open.emplace(id, pad).second) {
        SDL_GameControllerClose(pad);
    }
}

void closePad(Gamepads& pads, SDL_JoystickID id) {
    const auto found = pads.open.find(id);
    if (found != pads.open.end()) {
        SDL_GameControllerClose(found->second);
        pads.open.erase(found);
    }
}

}  // namespace

KeySet keysHeldBy(const PadReading& pad) {
    KeySet keys;
    keys[KeyLeft] = pad.dpadLeft || pad.leftX < -stickDeadZone;
    keys[KeyRight] = pad.dpadRight || pad.leftX > stickDeadZone;
    keys[KeyUp] = pad.dpadUp || pad.leftY < -stickDeadZone;
    keys[KeyDown] = pad.dpadDown || pad.leftY > stickDeadZone;
    keys[KeyEnter] = pad.south;
    keys[KeyEscape] = pad.start;
    keys[tabKey] = pad.back;
    return keys;
}

void handleGamepadEvent(Gamepads& pads, const SDL_Event& event, const PadKeyChange& onKey) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            openPad(pads, event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            closePad(pads, event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            break;
        default:
            return;
    }
    followPads(pads, onKey);
}

void closeGamepads(Gamepads& pads) {
    for (const auto& [id, pad] : pads.open) {
        SDL_GameControllerClose(pad);
    }
    pads.open.clear();
    pads.keys.reset();
}

}  // namespace spinvale
