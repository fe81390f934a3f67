#include <SDL.h>
#include <gtest/gtest.h>

#include "gamepad.h"
#include "input_capture.h"
#include "key_map.h"

namespace spinvale {
namespace {

KeySet keys(std::initializer_list<int> codes) {
    KeySet set;
    for (int code : codes) {
        set.set(static_cast<std::size_t>(code));
    }
    return set;
}

TEST(PadMapping, StickBeyondTheDeadZoneOrDpadAreTheArrowsSouthIsEnterStartIsEscBackIsTab) {
    PadReading pad;
    EXPECT_EQ(keysHeldBy(pad), KeySet()) << "a pad at rest holds nothing";
    for (const int16_t edge : {-8000, 8000}) {
        pad.leftX = pad.leftY = edge;
        EXPECT_EQ(keysHeldBy(pad), KeySet()) << "the dead zone's edge is still rest: " << edge;
    }
    pad.leftX = -8001;
    pad.leftY = 20000;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyLeft, KeyDown})) << "a diagonal holds two arrows";
    PadReading buttons;
    buttons.dpadRight = buttons.dpadUp = buttons.south = buttons.start = buttons.back = true;
    buttons.leftY = -30000;
    EXPECT_EQ(keysHeldBy(buttons), keys({KeyRight, KeyUp, KeyEnter, KeyEscape, tabKey}));
}

// A virtual controller made by SDL itself (with the standard layout SDL maps for virtual
// devices) driven through the game's own gamepad code: plugged in, moved, pressed, pulled
// out, and the keys of player 2's commands it makes. Pulled out, the pad lets go of its keys
// but not of the keyboard's, even one both held; plugged in again, it holds its keys again.
TEST(VirtualPad, HoldsKeysFromStickAndButtonsAndLetsGoOfThemWhenPulledOut) {
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    InputCapture capture;
    Gamepads pads;
    int device = -1;
    SDL_Joystick* joystick = nullptr;
    // What the game's event pump does with the events SDL made from the pad.
    const auto handleEvents = [&] {
        for (SDL_Event event; SDL_PollEvent(&event) != 0;) {
            handleGamepadEvent(pads, event, [&](int code, bool down) {
                down ? pressKey(capture, KeySource::Gamepad, code)
                     : releaseKey(capture, KeySource::Gamepad, code);
            });
        }
    };
    const auto plugIn = [&] {
        device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                           SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        handleEvents();
        ASSERT_EQ(pads.open.size(), 1u) << "the game opened the pad it was told of";
        joystick = SDL_GameControllerGetJoystick(pads.open.begin()->second);
    };
    const auto stick = [&](SDL_GameControllerAxis axis, int16_t value) {
        SDL_JoystickSetVirtualAxis(joystick, axis, value);
        handleEvents();
    };
    const auto press = [&](SDL_GameControllerButton button) {
        SDL_JoystickSetVirtualButton(joystick, button, 1);
        handleEvents();
    };
    const auto step = [&] { return takeUpdateInput(capture, 16, 0, 0).keys; };

    plugIn();
    stick(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(step(), keys({KeyLeft}));
    stick(SDL_CONTROLLER_AXIS_LEFTX, 3000);  // back inside the dead zone
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(step(), keys({KeyEnter}));
    stick(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pressKey(capture, KeySource::Keyboard, KeyUp);
    EXPECT_EQ(step(), keys({KeyEnter, KeyUp}));
    SDL_JoystickDetachVirtual(device);
    handleEvents();
    EXPECT_TRUE(pads.open.empty());
    EXPECT_EQ(step(), keys({KeyUp}));
    plugIn();
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(step(), keys({KeyUp, KeyDown, KeyEscape}));
    closeGamepads(pads);
    SDL_JoystickDetachVirtual(device);
    SDL_Quit();
}

}  // namespace
}  // namespace spinvale
