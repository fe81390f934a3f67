// Practice and the adaptive strength in recordings and the settings file read back as written
// (that such a recording replays to its trace: the replay driver's tests).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

#include "match_fixture.h"
#include "practice.h"
#include "recording.h"
#include "settings_file.h"

namespace spinvale {
namespace {

// The adaptive strength is named only when chosen: a fixed strength's line is as it was.
TEST(PracticeLine, ReadsBackAsWrittenAndRefusesTheRest) {
    GameSettings g = defaultGameSettings(), read;
    UpdateInput input;
    PracticeRules rules;
    std::string error;
    for (const PracticeMode mode : {PracticeMode::Returns, PracticeMode::Rally}) {
        for (const PracticeTarget target :
             {PracticeTarget::Any, PracticeTarget::Left, PracticeTarget::Right}) {
            g.adaptiveStrength = !g.adaptiveStrength;
            const std::string line = formatPracticeLine({mode, target}, g);
            EXPECT_EQ(line.find("adaptive") != std::string::npos, g.adaptiveStrength);
            ASSERT_EQ(parseRecordingLine(line, input, read, error, &rules), LineKind::Practice)
                << line << ": " << error;
            EXPECT_EQ(rules, (PracticeRules{mode, target}));
            EXPECT_EQ(formatPracticeLine(rules, read), line);
        }
    }
    const std::string settings = formatSettingsLine(defaultGameSettings()).substr(8);
    for (const std::string& bad :
         {"practice" + settings, "practice mode=none target=any" + settings,
          "practice mode=returns target=up" + settings,
          "practice target=any mode=returns" + settings,
          std::string("practice mode=rally target=any")}) {
        error.clear();
        EXPECT_EQ(parseRecordingLine(bad, input, read, error), LineKind::Malformed) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

// Offset 56 was reserved: only exactly 1 chooses it, so an older file keeps a fixed strength.
TEST(AdaptiveStrength, StoredInTheFileAsExactlyOne) {
    for (const double stored : {1.0, 0.0, -1.0, 2.0, 0.999, double(NAN)}) {
        SettingsRecord r = defaultSettingsRecord();
        std::memcpy(r.data() + 56, &stored, 8);
        std::vector<std::string> warnings;
        EXPECT_EQ(decodeSettings(r, "test", warnings).adaptiveStrength, stored == 1) << stored;
        EXPECT_TRUE(warnings.empty());
    }
    GameSettings g = defaultGameSettings();
    g.adaptiveStrength = true;
    SettingsRecord r{};
    encodeSettings(g, r);
    EXPECT_EQ(readDouble(r, field::adaptiveStrength), 1.0);
}

// Each point moves the computer's speed by 1 and half the lead toward the player, within 15 to
// 46; the skill is read off the line through the presets.
TEST(AdaptiveStrength, EachPointMovesTheComputerTowardThePlayer) {
    const std::tuple<bool, bool, float, int32_t, int32_t, int32_t, float, float> cases[] = {
        {true, false, 40, 0, 0, 1, 41.5f, 0.725f},                    // the player leads 1-0
        {true, false, 41.5f, 1, 0, 2, 40.5f, float(0.7 + 0.5 / 60)},  // 1-1
        {true, false, 36, 1, 0, 2, 35, 0.4f},                         // Easy
        {true, false, 45.5f, 4, 2, 1, 46, 0.8f},                      // Hard is the top
        {true, false, 16, 0, 3, 2, 15, 0.1f},                         // the bottom, below Easy
        {false, true, 40, 0, 0, 2, 41.5f, 0.725f},                    // the person is player 2
        {false, false, 40, 0, 0, 1, 41.5f, 0.725f}};                  // two computers: player 1's
    for (const auto& [mouse, keys, speed, s1, s2, scorer, newSpeed, newSkill] : cases) {
        Match m = plainMatch();
        m.settings.player1Mouse = mouse, m.settings.player2Keyboard = keys;
        m.settings.adaptiveStrength = true, m.settings.aiSpeed = speed;
        m.state.score1 = s1 + (scorer == 1), m.state.score2 = s2 + (scorer == 2);
        adaptStrength(m, s1, s2);
        EXPECT_EQ(m.settings.aiSpeed, newSpeed) << speed;
        EXPECT_FLOAT_EQ(m.settings.aiSkill, newSkill) << speed;
        adaptStrength(m, m.state.score1, m.state.score2);  // no point, no change
        EXPECT_EQ(m.settings.aiSpeed, newSpeed);
    }
}

}  // namespace
}  // namespace spinvale
