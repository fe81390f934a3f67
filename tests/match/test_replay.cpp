// Input scripts and trace lines.
#include <gtest/gtest.h>

#include <limits>

#include "match_fixture.h"
#include "replay.h"

namespace spinvale {
namespace {

TEST(ScriptLine, ReadsElapsedPointerButtonAndKeys) {
    ScriptInput in;
    std::string error;
    ASSERT_EQ(parseScriptLine("17 -40 300 1 13 38\r", in, error), ScriptLineKind::Input);
    EXPECT_EQ(in.elapsedMs, 17u);
    EXPECT_EQ(in.pointerX, -40);
    EXPECT_EQ(in.pointerY, 300);
    EXPECT_EQ(in.button, ScriptInput::Pressed);
    EXPECT_TRUE(in.keysDown[13]);
    EXPECT_TRUE(in.keysDown[38]);
    EXPECT_FALSE(in.keysDown[37]);
    ASSERT_EQ(parseScriptLine("\t4294967295 0 0 -", in, error), ScriptLineKind::Input);
    EXPECT_EQ(in.elapsedMs, 4294967295u);
    EXPECT_EQ(in.button, ScriptInput::Unchanged);
    EXPECT_EQ(parseScriptLine("", in, error), ScriptLineKind::Skip);
    EXPECT_EQ(parseScriptLine("   ", in, error), ScriptLineKind::Skip);
    EXPECT_EQ(parseScriptLine("# a comment 1 2 3", in, error), ScriptLineKind::Skip);
}

TEST(ScriptLine, RejectsMalformedLines) {
    const char* bad[] = {
        "16",
        "16 0",
        "16 0 0",
        "16 0 0 2",
        "-1 0 0 0",
        "4294967296 0 0 0",
        "16 x 0 0",
        "16 0 0 0 256",
        "16 0 0 0 -3",
        "16 0 0 0 13x",
        "16.5 0 0 0",
        "16 99999999999 0 0",
        "16 0 0 - 1 # no",
    };
    for (const char* line : bad) {
        ScriptInput in;
        std::string error;
        EXPECT_EQ(parseScriptLine(line, in, error), ScriptLineKind::Malformed) << line;
        EXPECT_FALSE(error.empty());
    }
}

TEST(ScriptLine, ARecordingNamesItsSettingsInAComment) {
    const std::string first = formatSettingsComment("/home/a b/.config/spinvale/settings.dat");
    EXPECT_EQ(first, "# settings: /home/a b/.config/spinvale/settings.dat");
    EXPECT_EQ(settingsNamedBy(first), "/home/a b/.config/spinvale/settings.dat");
    EXPECT_EQ(settingsNamedBy(first + "\r"), "/home/a b/.config/spinvale/settings.dat");
    ScriptInput in;
    std::string error;
    EXPECT_EQ(parseScriptLine(first, in, error), ScriptLineKind::Skip) << "a replay skips it";
    EXPECT_EQ(settingsNamedBy("# a comment"), "");
    EXPECT_EQ(settingsNamedBy("16 0 0 -"), "");
}

TEST(ScriptLine, FormatReadsBack) {
    ScriptInput in;
    in.elapsedMs = 33;
    in.pointerX = 1023;
    in.pointerY = -1;
    in.button = ScriptInput::Released;
    in.keysDown[112] = true;
    in.keysDown[27] = true;
    const std::string line = formatScriptLine(in);
    EXPECT_EQ(line, "33 1023 -1 0 27 112");
    ScriptInput back;
    std::string error;
    ASSERT_EQ(parseScriptLine(line, back, error), ScriptLineKind::Input);
    EXPECT_EQ(formatScriptLine(back), line);
}

TEST(ScriptLine, AppliesAsTheWindowsEventsWould) {
    Match m;
    m.input.leftButton = 1;
    m.input.keys[40] = 1;
    ScriptInput in;
    in.pointerX = 5;
    in.pointerY = 6;
    in.button = ScriptInput::Unchanged;
    in.keysDown[13] = true;
    applyScriptInput(m, in);
    EXPECT_EQ(m.input.leftButton, 1);  // no button message: the flag keeps its value
    EXPECT_EQ(m.input.keys[13], 1);
    EXPECT_EQ(m.input.keys[40], 0);  // keys not listed are up
    EXPECT_EQ(m.input.pointerX, 5);
    in.button = ScriptInput::Released;
    applyScriptInput(m, in);
    EXPECT_EQ(m.input.leftButton, 0);
}

TEST(TraceLine, KeysInOrderAndShortestFloats) {
    Match m;
    m.state.ballY = 98.2f;
    m.state.ballVX = -1.1641532e-09f;
    m.state.ballSpin = std::numeric_limits<float>::quiet_NaN();
    m.state.prevBallZ = -std::numeric_limits<float>::infinity();
    m.state.paddle2.homeZ = std::numeric_limits<float>::infinity();
    m.state.rallyState = P2ToServe;
    m.state.firstServer = 2;
    m.requests.sounds[0] = soundTable;
    m.requests.sounds[1] = soundPaddle;
    m.requests.soundCount = 2;
    m.requests.quit = true;
    m.requests.toggleFullscreen = true;
    EXPECT_EQ(formatTraceLine(1, 16, m),
              "{\"frame\":1,\"elapsedMs\":16,\"ballX\":20,\"ballY\":98.2,\"ballZ\":0,"
              "\"ballVX\":-1.1641532e-09,\"ballVY\":0,\"ballVZ\":0,\"ballSpin\":\"nan\","
              "\"prevBallZ\":\"-inf\",\"rallyState\":6,\"score1\":0,\"score2\":0,"
              "\"firstServer\":2,\"aimChoice\":0,\"strokeCursorX\":0,\"prevCursorU\":0,"
              "\"winSoundPlayed\":0,"
              "\"paddle1\":{\"x\":0,\"y\":0,\"z\":0,\"prevX\":0,\"prevZ\":0,\"homeZ\":0,"
              "\"side\":0,\"swingAngle\":0,\"swingPhase\":0},"
              "\"paddle2\":{\"x\":0,\"y\":0,\"z\":0,\"prevX\":0,\"prevZ\":0,\"homeZ\":\"inf\","
              "\"side\":0,\"swingAngle\":0,\"swingPhase\":0},"
              "\"leftButton\":0,\"sounds\":[\"sounds/table.wav\",\"sounds/paddle.wav\"],"
              "\"requests\":[\"quit\",\"toggleFullscreen\"]}");
}

}  // namespace
}  // namespace spinvale
