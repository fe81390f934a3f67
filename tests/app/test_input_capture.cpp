#include <gtest/gtest.h>

#include <string>

#include "input_capture.h"
#include "match.h"
#include "replay.h"

namespace spinvale {
namespace {

SDL_KeyboardEvent keyEvent(SDL_Keycode key, bool down, uint16_t modifiers = KMOD_NONE,
                           bool repeat = false) {
    SDL_KeyboardEvent event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.repeat = repeat ? 1 : 0;
    event.keysym.sym = key;
    event.keysym.mod = modifiers;
    return event;
}

int keysDown(const InputState& input) {
    int down = 0;
    for (int32_t key : input.keys) {
        down += key;
    }
    return down;
}

class KeyCapture : public ::testing::Test {
  protected:
    void key(SDL_Keycode key, bool down, uint16_t modifiers = KMOD_NONE, bool repeat = false) {
        captureKey(input_, capture_, keyEvent(key, down, modifiers, repeat));
    }

    InputState input_;
    InputCapture capture_;
};

TEST_F(KeyCapture, KeysGoDownAndUpByTheirCodes) {
    key(SDLK_LEFT, true);
    key(SDLK_KP_ENTER, true);
    EXPECT_EQ(input_.keys[37], 1);
    EXPECT_EQ(input_.keys[13], 1);
    key(SDLK_RETURN, false);
    EXPECT_EQ(input_.keys[13], 0) << "both Enter keys share one flag";
    key(SDLK_LALT, true);
    EXPECT_EQ(keysDown(input_), 1) << "Alt is not recorded";
}

TEST_F(KeyCapture, ARepeatLeavesAClearedFlagCleared) {
    key(SDLK_RETURN, true);
    input_.keys[13] = 0;  // a human player 2's toss uses up the press
    key(SDLK_RETURN, true, KMOD_NONE, true);
    EXPECT_EQ(input_.keys[13], 0);
    key(SDLK_RETURN, false);
    key(SDLK_RETURN, true);
    EXPECT_EQ(input_.keys[13], 1) << "a new press counts";
}

TEST_F(KeyCapture, AltEnterPressesF1AndNeverEnter) {
    for (const uint16_t alt : {KMOD_LALT, KMOD_RALT}) {
        for (const SDL_Keycode enter : {SDLK_RETURN, SDLK_KP_ENTER}) {
            releaseAllKeys(input_, capture_);
            key(SDLK_LALT, true, alt);
            key(enter, true, alt);
            EXPECT_EQ(input_.keys[112], 1);
            EXPECT_EQ(input_.keys[13], 0) << "player 2 must not toss or swing";
            key(enter, false, alt);
            key(SDLK_LALT, false);
            EXPECT_EQ(input_.keys[112], 1) << "down until the new window: a quick tap counts";
            EXPECT_EQ(keysDown(input_), 1);
        }
    }
    key(SDLK_RETURN, true, KMOD_LCTRL | KMOD_LSHIFT);
    EXPECT_EQ(input_.keys[13], 1) << "only Alt makes Enter the shortcut";
}

TEST_F(KeyCapture, EnterHeldBeforeAltGoesUpWithItsRelease) {
    key(SDLK_RETURN, true);
    key(SDLK_LALT, true, KMOD_LALT);
    key(SDLK_RETURN, false, KMOD_LALT);
    EXPECT_EQ(keysDown(input_), 0);
}

TEST_F(KeyCapture, AKeyHeldByBothSourcesStaysDownUntilBothLetGo) {
    key(SDLK_LEFT, true);
    pressKey(input_, capture_, KeySource::Gamepad, 37);
    key(SDLK_LEFT, false);
    EXPECT_EQ(input_.keys[37], 1) << "the pad still holds Left";
    key(SDLK_LEFT, true);
    releaseKey(input_, capture_, KeySource::Gamepad, 37);
    EXPECT_EQ(input_.keys[37], 1) << "the keyboard still holds Left";
    key(SDLK_LEFT, false);
    EXPECT_EQ(input_.keys[37], 0);
}

TEST_F(KeyCapture, ASecondSourcePressingAfterATossPressesAgain) {
    key(SDLK_RETURN, true);
    input_.keys[13] = 0;  // the toss used up the keyboard's press
    pressKey(input_, capture_, KeySource::Gamepad, 13);
    EXPECT_EQ(input_.keys[13], 1) << "the pad's A is a new press";
    key(SDLK_RETURN, false);
    EXPECT_EQ(input_.keys[13], 1);
    releaseKey(input_, capture_, KeySource::Gamepad, 13);
    EXPECT_EQ(input_.keys[13], 0);
}

TEST_F(KeyCapture, ANewWindowStartsWithEveryKeyUpAndNothingHeld) {
    key(SDLK_F1, true);
    key(SDLK_z, true);
    pressKey(input_, capture_, KeySource::Gamepad, 40);
    releaseAllKeys(input_, capture_);
    EXPECT_EQ(keysDown(input_), 0);
    pressKey(input_, capture_, KeySource::Gamepad, 37);
    key(SDLK_LEFT, true);
    releaseKey(input_, capture_, KeySource::Gamepad, 37);
    EXPECT_EQ(input_.keys[37], 1);
    key(SDLK_LEFT, false);
    releaseKey(input_, capture_, KeySource::Gamepad, 40);
    EXPECT_EQ(keysDown(input_), 0) << "a release of a key held before the window changes nothing";
}

TEST(InputCapture, TheRecordingKeepsTheLastButtonEventSinceTheUpdateBefore) {
    InputState input;
    InputCapture capture;
    EXPECT_EQ(takeUpdateInput(capture, input, 16).button, ScriptInput::Unchanged);
    captureButton(input, capture, true);
    captureButton(input, capture, false);
    const ScriptInput update = takeUpdateInput(capture, input, 17);
    EXPECT_EQ(update.button, ScriptInput::Released) << "a click between two updates is not seen";
    EXPECT_EQ(input.leftButton, 0);
    EXPECT_EQ(takeUpdateInput(capture, input, 17).button, ScriptInput::Unchanged);
}

// Two matches side by side: one fed as the window feeds the game, one by the recorded script
// lines as the headless runner feeds it. Every update must leave them the same.
class Recording : public ::testing::Test {
  protected:
    void SetUp() override {
        for (Match* m : {&game_, &replay_}) {
            m->settings = defaultGameSettings();
            m->settings.player2Keyboard = true;
            initMatchState(*m);
        }
        game_.input.pointerX = 300;
        game_.input.pointerY = 600;
    }

    // One update of the game, and of the replay from the line the game recorded.
    std::string update(uint32_t elapsedMs) {
        const std::string line =
            formatScriptLine(takeUpdateInput(capture_, game_.input, elapsedMs));
        updateMatch(game_, elapsedMs);

        ScriptInput recorded;
        std::string error;
        EXPECT_EQ(parseScriptLine(line, recorded, error), ScriptLineKind::Input) << error;
        applyScriptInput(replay_, recorded);
        updateMatch(replay_, recorded.elapsedMs);
        EXPECT_EQ(formatTraceLine(1, elapsedMs, replay_), formatTraceLine(1, elapsedMs, game_))
            << line;
        return line;
    }

    Match game_;
    Match replay_;
    InputCapture capture_;
};

TEST_F(Recording, ReplayingTheRecordedLinesGivesTheSameMatch) {
    ASSERT_EQ(game_.state.rallyState, P2ToServe) << "the first draw gives player 2 the serve";
    EXPECT_EQ(update(17), "17 300 600 -");

    captureButton(game_.input, capture_, true);
    EXPECT_EQ(update(16), "16 300 600 1");
    EXPECT_EQ(game_.state.paddle1.swingPhase, 2) << "the button starts paddle 1's swing";

    captureKey(game_.input, capture_, keyEvent(SDLK_RETURN, true));
    EXPECT_EQ(update(17), "17 300 600 - 13");
    EXPECT_EQ(game_.state.rallyState, P2Toss);

    captureKey(game_.input, capture_, keyEvent(SDLK_RETURN, true, KMOD_NONE, true));
    EXPECT_EQ(update(17), "17 300 600 -") << "the toss used up Enter; its repeat is no press";

    captureButton(game_.input, capture_, false);
    captureButton(game_.input, capture_, true);
    captureButton(game_.input, capture_, false);
    game_.input.pointerX = 700;
    EXPECT_EQ(update(100), "100 700 600 0");

    captureKey(game_.input, capture_, keyEvent(SDLK_RETURN, false));
    captureKey(game_.input, capture_, keyEvent(SDLK_RETURN, true));
    captureKey(game_.input, capture_, keyEvent(SDLK_F1, true));
    EXPECT_EQ(update(18), "18 700 600 - 13 112");
    EXPECT_TRUE(game_.requests.toggleFullscreen);
}

TEST_F(Recording, AltEnterIsRecordedAsTheF1ThatAsksForTheToggle) {
    captureKey(game_.input, capture_, keyEvent(SDLK_LALT, true, KMOD_LALT));
    captureKey(game_.input, capture_, keyEvent(SDLK_RETURN, true, KMOD_LALT));
    captureKey(game_.input, capture_, keyEvent(SDLK_RETURN, false, KMOD_LALT));
    EXPECT_EQ(update(16), "16 300 600 - 112");
    EXPECT_TRUE(game_.requests.toggleFullscreen);
    EXPECT_EQ(game_.state.rallyState, P2ToServe) << "no toss: Enter never reached the match";
}

}  // namespace
}  // namespace spinvale
