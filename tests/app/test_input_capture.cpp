#include <gtest/gtest.h>

#include <string>

#include "input_capture.h"
#include "match.h"
#include "replay.h"

namespace spinvale {
namespace {

TEST(InputCapture, KeysGoDownAndUpByTheirCodes) {
    InputState input;
    captureKey(input, SDLK_LEFT, true, false);
    captureKey(input, SDLK_KP_ENTER, true, false);
    EXPECT_EQ(input.keys[37], 1);
    EXPECT_EQ(input.keys[13], 1);
    captureKey(input, SDLK_RETURN, false, false);
    EXPECT_EQ(input.keys[13], 0) << "both Enter keys share one flag";
    captureKey(input, SDLK_LALT, true, false);
    int down = 0;
    for (int32_t key : input.keys) {
        down += key;
    }
    EXPECT_EQ(down, 1) << "Alt is not recorded";
}

TEST(InputCapture, ARepeatLeavesAClearedFlagCleared) {
    InputState input;
    captureKey(input, SDLK_RETURN, true, false);
    input.keys[13] = 0;  // a human player 2's toss uses up the press
    captureKey(input, SDLK_RETURN, true, true);
    EXPECT_EQ(input.keys[13], 0);
    captureKey(input, SDLK_RETURN, false, false);
    captureKey(input, SDLK_RETURN, true, false);
    EXPECT_EQ(input.keys[13], 1) << "a new press counts";
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

TEST(InputCapture, ReleasingAllKeysClearsEveryFlag) {
    InputState input;
    captureKey(input, SDLK_F1, true, false);
    captureKey(input, SDLK_z, true, false);
    releaseAllKeys(input);
    for (int32_t key : input.keys) {
        EXPECT_EQ(key, 0);
    }
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

    captureKey(game_.input, SDLK_RETURN, true, false);
    EXPECT_EQ(update(17), "17 300 600 - 13");
    EXPECT_EQ(game_.state.rallyState, P2Toss);

    captureKey(game_.input, SDLK_RETURN, true, true);
    EXPECT_EQ(update(17), "17 300 600 -") << "the toss used up Enter; its repeat is no press";

    captureButton(game_.input, capture_, false);
    captureButton(game_.input, capture_, true);
    captureButton(game_.input, capture_, false);
    game_.input.pointerX = 700;
    EXPECT_EQ(update(100), "100 700 600 0");

    captureKey(game_.input, SDLK_RETURN, false, false);
    captureKey(game_.input, SDLK_RETURN, true, false);
    captureKey(game_.input, SDLK_F1, true, false);
    EXPECT_EQ(update(18), "18 700 600 - 13 112");
    EXPECT_TRUE(game_.requests.toggleFullscreen);
}

}  // namespace
}  // namespace spinvale
