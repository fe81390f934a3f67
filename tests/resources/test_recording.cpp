// Recordings: update and settings lines, a reader over a whole recording, a NaN traced.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "recording.h"
#include "trace.h"

namespace spinvale {
namespace {

TEST(RecordingLine, UpdatesAndSettingsReadBackAsWrittenAndATraceLineShowsANan) {
    UpdateInput in;
    GameSettings settings;
    std::string error;
    ASSERT_EQ(parseRecordingLine("17 -40 300 1 13 38\r", in, settings, error), LineKind::Update);
    EXPECT_EQ(
        std::tuple(in.elapsedMs, in.pointerX, in.pointerY, in.button, in.keys),
        std::tuple(17u, -40, 300, ButtonMessage::Pressed, std::bitset<256>().set(13).set(38)));
    EXPECT_EQ(formatUpdateLine(in), "17 -40 300 1 13 38");
    ASSERT_EQ(parseRecordingLine("\t4294967295 0 0 0", in, settings, error), LineKind::Update);
    EXPECT_EQ(std::tuple(in.elapsedMs, in.button),
              std::tuple(4294967295u, ButtonMessage::Released));
    for (const char* skip : {"", "   ", "# a comment 1 2 3"}) {
        EXPECT_EQ(parseRecordingLine(skip, in, settings, error), LineKind::Skip);
    }
    for (const char* line :
         {"16", "16 0 0", "16 0 0 2", "-1 0 0 0", "4294967296 0 0 0", "16 x 0 0", "16 0 0 0 256",
          "16 0 0 0 13x", "16.5 0 0 0", "16 99999999999 0 0", "16 0 0 - 1 # no"}) {
        EXPECT_EQ(parseRecordingLine(line, in, settings, error), LineKind::Malformed) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    // Settings lines carry every field exactly; a faulty one is refused, never half taken.
    GameSettings g = defaultGameSettings();
    g.aiSkill = 0.1f, g.gameSpeed = 13.7f, g.player2Keyboard = true, g.screenWidth = 800;
    const std::string line = formatSettingsLine(g);
    ASSERT_EQ(parseRecordingLine(line, in, settings, error), LineKind::Settings) << error;
    EXPECT_EQ(formatSettingsLine(settings), line);
    const std::string broken[] = {"settings gameSpeed=14", line + " gameSpeed=3",
                                  line.substr(0, line.find("pointsPerGame=")) + "pointsPerGame=7" +
                                      line.substr(line.find(" screenWidth"))};
    for (const std::string& b : broken) {
        settings = g;
        EXPECT_EQ(parseRecordingLine(b, in, settings, error), LineKind::Malformed) << b;
        EXPECT_EQ(formatSettingsLine(settings), line);
    }
    // A NaN in a trace line (the rest of its shape is held by the golden traces).
    Match m;
    m.state.ballVX = std::numeric_limits<float>::quiet_NaN();
    const std::string traced = formatTraceLine(7, 16, m);
    EXPECT_NE(traced.find("\"ballZ\":0,\"ballVX\":\"nan\","), std::string::npos) << traced;
    EXPECT_FALSE(allFieldsFinite(m.state));
}

// A new game is a line of its own, for the next update only, its settings staying after it.
TEST(RecordingReader, SettingsAndNewGameLinesApplyToTheUpdatesAfterThem) {
    GameSettings fast = defaultGameSettings();
    fast.gameSpeed = 30;
    std::istringstream text("# settings: /tmp/settings.dat\n" + formatSettingsLine(fast) +
                            "\n16 0 0 -\n\n17 1 2 - 112\nsettings bogus\n18 0 0 -\n");
    RecordingReader reader(text);
    UpdateInput in;
    GameSettings settings;
    ASSERT_TRUE(reader.next(in, settings));
    EXPECT_EQ(std::tuple(settings.gameSpeed, in.elapsedMs), std::tuple(30.0f, 16u));
    ASSERT_TRUE(reader.next(in, settings) && in.keys[KeyF1]);
    EXPECT_FALSE(reader.next(in, settings));
    EXPECT_TRUE(reader.lineNumber() == 6 && !reader.error().empty()) << reader.lineNumber();
    EXPECT_EQ(settingsNamedBy("# settings: /tmp/settings.dat\r"), "/tmp/settings.dat");
    EXPECT_EQ(settingsNamedBy("16 0 0 -"), "");

    GameSettings keyboard = defaultGameSettings();
    keyboard.player2Keyboard = true, keyboard.pointsPerGame = 21;
    const std::string newGame = formatNewGameLine(keyboard);
    EXPECT_EQ(newGame.rfind("new-game simpleGraphics=0 gameSpeed=14 ", 0), 0u) << newGame;
    std::istringstream games("16 0 0 -\n" + newGame + "\n17 0 0 -\n18 0 0 -\n");
    RecordingReader again(games);
    settings = defaultGameSettings();
    ASSERT_TRUE(again.next(in, settings) && !again.newGame());
    ASSERT_TRUE(again.next(in, settings));
    ASSERT_TRUE(in.elapsedMs == 17u && again.newGame()) << in.elapsedMs;
    EXPECT_EQ(formatSettingsLine(*again.newGame()), formatSettingsLine(keyboard));
    EXPECT_EQ(formatSettingsLine(settings), formatSettingsLine(keyboard));
    ASSERT_TRUE(again.next(in, settings));
    EXPECT_FALSE(again.newGame()) << "the new game was started once, before update 17";

    Match won;
    won.state.score1 = 11, won.state.score2 = 9, won.state.winSoundPlayed = true;
    startNewGame(won, keyboard);
    // The first draw, 41, is odd: player 2 serves first; the new game's win sounds again.
    EXPECT_EQ(std::tuple(won.state.score1, won.state.score2, won.state.rallyState,
                         won.state.winSoundPlayed, won.settings.player2Keyboard),
              std::tuple(0, 0, P2ToServe, false, true));
}

}  // namespace
}  // namespace spinvale
