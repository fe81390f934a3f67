#include "sdl_input.h"

#include <SDL_clipboard.h>
#include <SDL_mouse.h>
#include <SDL_video.h>

namespace spinvale {

namespace {

struct KeyName {
    SDL_Keycode key;
    int code;
};

const KeyName keyCodes[] = {
    {SDLK_RETURN, KeyEnter},        {SDLK_KP_ENTER, KeyEnter}, {SDLK_ESCAPE, KeyEscape},
    {SDLK_LEFT, KeyLeft},           {SDLK_UP, KeyUp},          {SDLK_RIGHT, KeyRight},
    {SDLK_DOWN, KeyDown},           {SDLK_F1, KeyF1},          {SDLK_TAB, tabKey},
    {SDLK_BACKSPACE, backspaceKey},
};

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
void followPads(Gamepads& pads, std::vector<InputEvent>& events) {
    KeySet now;
    for (const auto& [id, pad] : pads.open) {
        now |= keysHeldBy(read(pad));
    }
    for (int code = 0; code < 256; ++code) {
        const auto key = static_cast<std::size_t>(code);
        if (now.test(key) != pads.keys.test(key)) {
            events.emplace_back(KeyEvent{code, now.test(key), KeySource::Gamepad});
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

// Ctrl+C and Ctrl+V, the clipboard's keys, read from the clipboard as they are pressed.
bool translateClipboardKey(const SDL_KeyboardEvent& event, std::vector<InputEvent>& events) {
    if (event.type != SDL_KEYDOWN || (event.keysym.mod & KMOD_CTRL) == 0) {
        return false;
    }
    if (event.keysym.sym == SDLK_c) {
        events.emplace_back(CopyEvent{});
    } else if (event.keysym.sym == SDLK_v) {
        char* text = SDL_GetClipboardText();
        events.emplace_back(PasteEvent{text != nullptr ? text : ""});
        SDL_free(text);
    } else {
        return false;
    }
    return true;
}

void translateKey(const SDL_KeyboardEvent& event, std::vector<InputEvent>& events) {
    if (translateClipboardKey(event, events)) {
        return;
    }
    const int code = virtualKeyFor(event.keysym.sym);
    if (event.repeat != 0 || code < 0) {
        return;  // a held key's repeats change nothing
    }
    const bool down = event.type == SDL_KEYDOWN;
    if (down && code == KeyEnter && (event.keysym.mod & KMOD_ALT) != 0) {
        events.emplace_back(KeyEvent{KeyF1, true});  // Alt+Enter: a tap of F1
        events.emplace_back(KeyEvent{KeyF1, false});
    } else {
        events.emplace_back(KeyEvent{code, down});
    }
}

void translateWindowEvent(const SDL_WindowEvent& event, std::vector<InputEvent>& events) {
    switch (event.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            events.emplace_back(WindowEvent{WindowChange::Hidden});
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            events.emplace_back(WindowEvent{WindowChange::Shown});
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            int width = 0;
            int height = 0;
            SDL_GL_GetDrawableSize(SDL_GetWindowFromID(event.windowID), &width, &height);
            events.emplace_back(WindowEvent{WindowChange::Resized, width, height});
            break;
        }
        case SDL_WINDOWEVENT_CLOSE:
            events.emplace_back(WindowEvent{WindowChange::Closed});
            break;
        default:
            break;
    }
}

// Controllers plugged in or pulled out, and what all of them hold now.
void translatePadEvent(const SDL_Event& event, Gamepads& pads, std::vector<InputEvent>& events) {
    if (event.type == SDL_CONTROLLERDEVICEADDED) {
        openPad(pads, event.cdevice.which);
    } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
        closePad(pads, event.cdevice.which);
    }
    followPads(pads, events);
}

}  // namespace

int virtualKeyFor(SDL_Keycode key) {
    for (const KeyName& k : keyCodes) {
        if (k.key == key) {
            return k.code;
        }
    }
    return -1;
}

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

void translateEvent(const SDL_Event& event, Gamepads& pads, std::vector<InputEvent>& events) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            translateKey(event.key, events);
            break;
        case SDL_TEXTINPUT:
            events.emplace_back(TextEvent{event.text.text});
            break;
        case SDL_MOUSEMOTION:
            events.emplace_back(PointerEvent{event.motion.y});
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                events.emplace_back(ButtonEvent{event.type == SDL_MOUSEBUTTONDOWN, event.button.y});
            }
            break;
        case SDL_WINDOWEVENT:
            translateWindowEvent(event.window, events);
            break;
        case SDL_QUIT:  // SIGINT, SIGTERM, or the desktop closing the session's windows
            events.emplace_back(WindowEvent{WindowChange::Closed});
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            translatePadEvent(event, pads, events);
            break;
        default:
            break;
    }
}

void closeGamepads(Gamepads& pads) {
    for (const auto& [id, pad] : pads.open) {
        SDL_GameControllerClose(pad);
    }
    pads.open.clear();
    pads.keys.reset();
}

void readPointer(int32_t& x, int32_t& y) {
    SDL_GetGlobalMouseState(&x, &y);
}

}  // namespace spinvale
