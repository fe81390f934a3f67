// The command each update gets from the keyboard, the mouse button and the gamepads: nothing
// that happened between two updates is lost, and the match sees the codes it reads.
#include <gtest/gtest.h>

#include "input_capture.h"
#include "key_map.h"

namespace spinvale {
namespace {

SDL_KeyboardEvent keyEvent(SDL_Keycode key, bool down, Uint16 mod = KMOD_NONE) {
    SDL_KeyboardEvent event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.keysym.sym = key;
    event.keysym.mod = mod;
    return event;
}

// Every mapped key against the classic virtual-key table (VK_BACK 8 ... VK_F12 123), which
// recordings store.
TEST(KeyMap, EveryMappedKeyHasItsClassicCode) {
    const SDL_Keycode keys[] = {SDLK_BACKSPACE, SDLK_TAB,         SDLK_RETURN,  SDLK_KP_ENTER,
                                SDLK_LSHIFT,    SDLK_RSHIFT,      SDLK_LCTRL,   SDLK_RCTRL,
                                SDLK_PAUSE,     SDLK_CAPSLOCK,    SDLK_ESCAPE,  SDLK_SPACE,
                                SDLK_PAGEUP,    SDLK_PAGEDOWN,    SDLK_END,     SDLK_HOME,
                                SDLK_LEFT,      SDLK_UP,          SDLK_RIGHT,   SDLK_DOWN,
                                SDLK_INSERT,    SDLK_DELETE,      SDLK_0,       SDLK_9,
                                SDLK_a,         SDLK_z,           SDLK_KP_0,    SDLK_KP_1,
                                SDLK_KP_9,      SDLK_KP_MULTIPLY, SDLK_KP_PLUS, SDLK_KP_MINUS,
                                SDLK_KP_PERIOD, SDLK_KP_DIVIDE,   SDLK_F1,      SDLK_F12};
    const int codes[] = {8,  9,  13, 13, 16,  16,  17,  17,  19,  20,  27,  32,
                         33, 34, 35, 36, 37,  38,  39,  40,  45,  46,  48,  57,
                         65, 90, 96, 97, 105, 106, 107, 109, 110, 111, 112, 123};
    static_assert(std::size(keys) == std::size(codes));
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(virtualKeyFor(keys[i]), codes[i]) << keys[i];
    }
    EXPECT_EQ(virtualKeyFor(SDLK_LALT), noVirtualKey);
    for (SDL_Keycode key = 0; key < 0x200; ++key) {
        const int code = virtualKeyFor(key);
        EXPECT_TRUE(code == noVirtualKey || (code >= 0 && code < 256)) << key;
    }
}

TEST(InputCapture, ATapBetweenTwoUpdatesCountsForOneUpdate) {
    InputCapture capture;
    captureKey(capture, keyEvent(SDLK_ESCAPE, true));
    captureKey(capture, keyEvent(SDLK_ESCAPE, false));
    UpdateInput input = takeUpdateInput(capture, 16, 3, 4);
    EXPECT_TRUE(input.keys[KeyEscape]);
    EXPECT_EQ(input.elapsedMs, 16u);
    EXPECT_EQ(input.pointerX, 3);
    EXPECT_EQ(input.pointerY, 4);
    EXPECT_FALSE(takeUpdateInput(capture, 16, 0, 0).keys[KeyEscape]);

    captureKey(capture, keyEvent(SDLK_LEFT, true));  // held: down until let go, repeats ignored
    SDL_KeyboardEvent repeat = keyEvent(SDLK_LEFT, true);
    repeat.repeat = 1;
    captureKey(capture, repeat);
    EXPECT_TRUE(takeUpdateInput(capture, 16, 0, 0).keys[KeyLeft]);
    EXPECT_TRUE(takeUpdateInput(capture, 16, 0, 0).keys[KeyLeft]);
    captureKey(capture, keyEvent(SDLK_LEFT, false));
    EXPECT_TRUE(takeUpdateInput(capture, 16, 0, 0).keys.none());
}

TEST(InputCapture, AQuickClickIsAPressThenAReleaseAnUpdateLater) {
    InputCapture capture;
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::None);
    captureButton(capture, true);
    captureButton(capture, false);
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::Pressed);
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::Released);
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::None);
    captureButton(capture, true);  // held down: one press, then no news
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::Pressed);
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::None);
    captureButton(capture, false);
    EXPECT_EQ(takeUpdateInput(capture, 16, 0, 0).button, ButtonMessage::Released);
}

TEST(InputCapture, AltEnterTapsF1AndANewWindowStartsWithEverythingUp) {
    InputCapture capture;
    captureKey(capture, keyEvent(SDLK_RETURN, true, KMOD_LALT));
    UpdateInput input = takeUpdateInput(capture, 16, 0, 0);
    EXPECT_TRUE(input.keys[KeyF1]);
    EXPECT_FALSE(input.keys[KeyEnter]);
    EXPECT_FALSE(takeUpdateInput(capture, 16, 0, 0).keys[KeyF1]);

    pressKey(capture, KeySource::Gamepad, KeyRight);  // two sources hold the same key
    pressKey(capture, KeySource::Keyboard, KeyRight);
    releaseKey(capture, KeySource::Gamepad, KeyRight);
    EXPECT_TRUE(takeUpdateInput(capture, 16, 0, 0).keys[KeyRight]);
    captureButton(capture, true);
    releaseAll(capture);
    input = takeUpdateInput(capture, 16, 0, 0);
    EXPECT_TRUE(input.keys.none());
    EXPECT_EQ(input.button, ButtonMessage::None);
}

}  // namespace
}  // namespace spinvale
