#include <SDL.h>
#include <gtest/gtest.h>

#include "gamepad.h"
#include "input_capture.h"
#include "match.h"

namespace spinvale {
namespace {

KeySet keys(std::initializer_list<int> codes) {
    KeySet set;
    for (int code : codes) {
        set.set(static_cast<std::size_t>(code));
    }
    return set;
}

TEST(PadMapping, StickBeyondTheDeadZoneOrDpadActAsTheArrows) {
    PadReading pad;
    EXPECT_EQ(keysHeldBy(pad), KeySet()) << "a pad at rest holds nothing";
    pad.leftX = -8000;
    pad.leftY = 8000;
    EXPECT_EQ(keysHeldBy(pad), KeySet()) << "the dead zone's edge is still rest";
    pad.leftX = -8001;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyLeft}));
    pad.leftX = 32767;
    pad.leftY = -32768;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyRight, KeyUp})) << "a diagonal holds two arrows";
    pad.leftY = 20000;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyRight, KeyDown})) << "the stick down is the Down arrow";

    PadReading dpad;
    dpad.dpadLeft = dpad.dpadUp = true;
    EXPECT_EQ(keysHeldBy(dpad), keys({KeyLeft, KeyUp}));
    dpad.dpadLeft = dpad.dpadUp = false;
    dpad.dpadRight = dpad.dpadDown = true;
    dpad.leftX = 30000;
    EXPECT_EQ(keysHeldBy(dpad), keys({KeyRight, KeyDown})) << "stick and D-pad together: once";
}

TEST(PadMapping, SouthButtonIsEnterAndStartIsEsc) {
    PadReading pad;
    pad.south = true;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyEnter}));
    pad.south = false;
    pad.start = true;
    EXPECT_EQ(keysHeldBy(pad), keys({KeyEscape}));
}

// A virtual controller made by SDL itself (with the standard layout SDL maps for virtual
// devices) driven through the game's own gamepad code: plugged in, moved, pressed, pulled
// out, while a match with a human player 2 runs on the key table it feeds.
class VirtualPad : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        match_.settings = defaultGameSettings();
        match_.settings.player2Keyboard = true;
        initMatchState(match_);
        ASSERT_EQ(match_.state.rallyState, P2ToServe) << "the first draw gives player 2 the serve";
    }

    void TearDown() override {
        closeGamepads(pads_);
        if (device_ >= 0) {
            SDL_JoystickDetachVirtual(device_);
        }
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
        SDL_JoystickDetachVirtual(device_);
        device_ = -1;
        handleEvents();
    }

    // What the game's event pump does with the events SDL made from the pad.
    void handleEvents() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            handleGamepadEvent(pads_, event, match_.input, capture_);
        }
    }

    void stick(SDL_GameControllerAxis axis, int16_t value) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, value);
        handleEvents();
    }

    void button(SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, b, down ? 1 : 0);
        handleEvents();
    }

    Match match_;
    InputCapture capture_;
    Gamepads pads_;
    int device_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

TEST_F(VirtualPad, TheStickMovesPaddle2AndTheSouthButtonTossesItsServe) {
    plugIn();
    const float startX = match_.state.paddle2.x;
    stick(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(match_.input.keys[KeyLeft], 1);
    updateMatch(match_, 20);
    // The keyboard paddle's speed is 0.4 cm/ms: 20 ms to the left is 8 cm.
    const float movedX = match_.state.paddle2.x;
    EXPECT_NEAR(movedX, startX - 8, 1e-4);

    stick(SDL_CONTROLLER_AXIS_LEFTX, 3000);
    EXPECT_EQ(match_.input.keys[KeyLeft], 0) << "back inside the dead zone";
    button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(match_.input.keys[KeyEnter], 1);
    updateMatch(match_, 16);
    EXPECT_EQ(match_.state.rallyState, P2Toss);
    EXPECT_EQ(match_.input.keys[KeyEnter], 0) << "the toss used up the press";
    EXPECT_EQ(match_.state.paddle2.x, movedX) << "the stick at rest moves nothing";
}

TEST_F(VirtualPad, DpadAndStartReachTheKeyTable) {
    plugIn();
    button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(match_.input.keys[KeyDown], 1);
    button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_EQ(match_.input.keys[KeyDown], 0);
    button(SDL_CONTROLLER_BUTTON_START, true);
    updateMatch(match_, 16);
    EXPECT_TRUE(match_.requests.quit) << "Start quits like Esc";
}

TEST_F(VirtualPad, PullingThePadOutLetsGoOfItsKeysAndAnotherCanBePluggedIn) {
    plugIn();
    stick(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    EXPECT_EQ(match_.input.keys[KeyUp], 1);
    pullOut();
    EXPECT_TRUE(pads_.open.empty());
    EXPECT_EQ(match_.input.keys[KeyUp], 0);

    plugIn();
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(match_.input.keys[KeyRight], 1);
}

TEST_F(VirtualPad, TheKeyboardAndThePadDoNotReleaseEachOther) {
    plugIn();
    stick(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    pressKey(match_.input, capture_, KeySource::Keyboard, KeyRight);
    stick(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(match_.input.keys[KeyRight], 1) << "the Right arrow is still held";
    releaseKey(match_.input, capture_, KeySource::Keyboard, KeyRight);
    EXPECT_EQ(match_.input.keys[KeyRight], 0);
}

}  // namespace
}  // namespace spinvale
