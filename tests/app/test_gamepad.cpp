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
    pad.leftX = -8000;
    pad.leftY = 8000;
    EXPECT_EQ(keysHeldBy(pad), KeySet()) << "the dead zone's edge is still rest";
    pad.leftX = -8001;
    pad.leftY = 20000;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyLeft, KeyDown})) << "a diagonal holds two arrows";
    PadReading buttons;
    buttons.dpadRight = buttons.dpadUp = buttons.south = buttons.start = buttons.back = true;
    buttons.leftX = 30000;
    EXPECT_EQ(keysHeldBy(buttons), keys({KeyRight, KeyUp, KeyEnter, KeyEscape, tabKey}));
}

// A virtual controller made by SDL itself (with the standard layout SDL maps for virtual
// devices) driven through the game's own gamepad code: plugged in, moved, pressed, pulled
// out, and the keys of player 2's commands it makes.
class VirtualPad : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError(); }

    void TearDown() override {
        closeGamepads(pads_);
        pullOut();
        SDL_Quit();
    }

    void plugIn() {
        device_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                            SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(device_, 0) << SDL_GetError();
        handleEvents();
        ASSERT_EQ(pads_.open.size(), 1u) << "the game opened the pad it was told of";
        joystick_ = SDL_GameControllerGetJoystick(pads_.open.begin()->second);
    }

    void pullOut() {
        if (device_ >= 0) {
            SDL_JoystickDetachVirtual(device_);
        }
        device_ = -1;
        handleEvents();
    }

    // What the game's event pump does with the events SDL made from the pad: each a key
    // pressed or let go for player 2.
    void handleEvents() {
        for (SDL_Event event; SDL_PollEvent(&event) != 0;) {
            handleGamepadEvent(pads_, event, [this](int code, bool down) {
                down ? pressKey(capture_, KeySource::Gamepad, code)
                     : releaseKey(capture_, KeySource::Gamepad, code);
            });
        }
    }

    void stick(SDL_GameControllerAxis axis, int16_t value) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, value);
        handleEvents();
    }

    void press(SDL_GameControllerButton b) {
        SDL_JoystickSetVirtualButton(joystick_, b, 1);
        handleEvents();
    }

    KeySet step() { return takeUpdateInput(capture_, 16, 0, 0).keys; }

    InputCapture capture_;
    Gamepads pads_;
    int device_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

// Pulled out, the pad lets go of its keys but not of the keyboard's; plugged in again, it
// holds its keys again.
TEST_F(VirtualPad, HoldsKeysFromStickAndButtonsAndLetsGoOfThemWhenPulledOut) {
    plugIn();
    stick(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(step(), keys({KeyLeft}));
    stick(SDL_CONTROLLER_AXIS_LEFTX, 3000);  // back inside the dead zone
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(step(), keys({KeyEnter}));
    stick(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pressKey(capture_, KeySource::Keyboard, KeyRight);
    EXPECT_EQ(step(), keys({KeyEnter, KeyUp, KeyRight}));
    pullOut();
    EXPECT_TRUE(pads_.open.empty());
    EXPECT_EQ(step(), keys({KeyRight}));
    plugIn();
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(step(), keys({KeyRight, KeyDown, KeyEscape}));
}

}  // namespace
}  // namespace spinvale
