// The game's own input events: what the keyboard, the mouse, the gamepads and the window
// did, with nothing of the library that reported it. sdl_input.h makes them; the responders
// (responders.h) answer them in order.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace spinvale {

// The two things that can hold one of the match's keys down: the keyboard and the gamepads
// (which act as the arrows, Enter, Esc and Tab).
enum class KeySource : uint8_t { Keyboard, Gamepad };

// Keys the shell reads that the match never does: Tab opens and closes the menu, Backspace
// deletes the last letter typed in a menu field.
constexpr int tabKey = 9;
constexpr int backspaceKey = 8;

// A key went down or up, by its virtual-key code (below 256). Alt+Enter, the toggle
// shortcut that SDL games share, comes as a tap of F1, so that everything after treats the
// two alike and a recording holds the F1 that the runner replays.
struct KeyEvent {
    int code;
    bool down;
    KeySource source = KeySource::Keyboard;
};

// The left mouse button went down or up; y is the pointer's row in the window.
struct ButtonEvent {
    bool down;
    int y = 0;
};

// The pointer moved to this row of the window.
struct PointerEvent {
    int y;
};

// Text typed on the keyboard, in UTF-8.
struct TextEvent {
    std::string text;
};

// Ctrl+C, and Ctrl+V with what the clipboard held.
struct CopyEvent {};
struct PasteEvent {
    std::string text;
};

enum class WindowChange { Hidden, Shown, Resized, Closed };

// The window was minimised, shown again, resized (to this drawable size) or closed (also
// SIGINT, SIGTERM or the desktop ending the session).
struct WindowEvent {
    WindowChange change;
    int width = 0;
    int height = 0;
};

using InputEvent = std::variant<KeyEvent, ButtonEvent, PointerEvent, TextEvent, CopyEvent,
                                PasteEvent, WindowEvent>;

}  // namespace spinvale
