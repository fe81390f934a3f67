#include <gtest/gtest.h>

#include "settings_file.h"

namespace spinvale {
namespace {

TEST(SettingsRecord, ShippedRecordGivesShippedSettings) {
    std::vector<std::string> warnings;
    const GameSettings g = decodeSettings(defaultSettingsRecord(), "shipped", warnings);
    const GameSettings d = defaultGameSettings();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(g.gameSpeed, d.gameSpeed);
    EXPECT_EQ(g.aiSkill, d.aiSkill);
    EXPECT_EQ(g.pointsPerGame, d.pointsPerGame);
}

}  // namespace
}  // namespace spinvale
