// The settings record: layout, conversions, the fallbacks for values the game cannot use,
// and the atomic rewrite.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

#include "settings_file.h"

namespace spinvale {
namespace {

void putInt(SettingsRecord& r, std::size_t offset, int32_t v) {
    std::memcpy(r.data() + offset, &v, 4);  // the test machine is little-endian, as the file
}

void putDouble(SettingsRecord& r, std::size_t offset, double v) {
    std::memcpy(r.data() + offset, &v, 8);
}

// A record written byte by byte at the documented offsets.
SettingsRecord handMadeRecord() {
    SettingsRecord r{};
    putInt(r, 0, 1);
    putDouble(r, 8, 12.5);
    putDouble(r, 16, 999);  // reserved
    putDouble(r, 24, -2.9);
    putDouble(r, 32, 9.75);
    putDouble(r, 40, 0.25);
    putDouble(r, 48, 35.5);
    putDouble(r, 56, -1);  // reserved
    putInt(r, 64, 21);
    putInt(r, 68, 1280);
    putInt(r, 72, 720);
    putInt(r, 76, 12345);  // alignment gap
    putDouble(r, 80, -5);
    putDouble(r, 88, 250.1);
    putDouble(r, 96, 330);
    putInt(r, 104, 2);
    putInt(r, 108, 0);
    return r;
}

GameSettings decode(const SettingsRecord& r, std::vector<std::string>& warnings) {
    return decodeSettings(r, "test.dat", warnings);
}

TEST(DecodeSettings, ReadsEveryFieldAtItsOffset) {
    std::vector<std::string> warnings;
    const GameSettings g = decode(handMadeRecord(), warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(g.simpleGraphics, 1);
    EXPECT_EQ(g.gameSpeed, 12.5f);
    EXPECT_EQ(g.spinFactor, -2);  // truncated toward zero
    EXPECT_EQ(g.gravityScale, 9.75f);
    EXPECT_EQ(g.aiSkill, 0.25f);
    EXPECT_EQ(g.aiSpeed, 35.5f);
    EXPECT_EQ(g.pointsPerGame, 21);
    EXPECT_EQ(g.screenWidth, 1280);
    EXPECT_EQ(g.screenHeight, 720);
    EXPECT_EQ(g.cameraX, -5.0f);
    EXPECT_EQ(g.cameraY, 250.1f);  // rounded to the nearest float
    EXPECT_EQ(g.cameraZ, 330.0f);
    EXPECT_TRUE(g.player1Mouse);  // any nonzero value is a human
    EXPECT_FALSE(g.player2Keyboard);
}

TEST(DecodeSettings, SkillIsClampedAndSpinTruncated) {
    const double skills[][2] = {{1.5, 1}, {-0.25, 0}, {1, 1}, {0, 0}, {NAN, 0}, {-1e300, 0}};
    for (const auto& s : skills) {
        SettingsRecord r = handMadeRecord();
        putDouble(r, 40, s[0]);
        std::vector<std::string> warnings;
        EXPECT_EQ(decode(r, warnings).aiSkill, float(s[1])) << s[0];
    }
    SettingsRecord r = handMadeRecord();
    putDouble(r, 24, 7.99);
    std::vector<std::string> warnings;
    EXPECT_EQ(decode(r, warnings).spinFactor, 7);
}

TEST(DecodeSettings, OddButLegalValuesAreKept) {
    SettingsRecord r = handMadeRecord();
    putDouble(r, 8, 0);  // a frozen flight is allowed
    putInt(r, 0, 2);     // only 1 selects simple graphics, but 2 is kept as read
    std::vector<std::string> warnings;
    const GameSettings g = decode(r, warnings);
    EXPECT_EQ(g.gameSpeed, 0.0f);
    EXPECT_EQ(g.simpleGraphics, 2);
    EXPECT_TRUE(warnings.empty());
}

TEST(DecodeSettings, UnusableValuesFallBackWithAWarningNamingTheField) {
    struct Case {
        std::size_t offset;
        bool isDouble;
        double value;
        const char* field;
    };
    const Case cases[] = {
        {64, false, 15, "pointsPerGame"}, {64, false, 0, "pointsPerGame"},
        {68, false, 0, "screenWidth"},    {72, false, -768, "screenHeight"},
        {8, true, NAN, "gameSpeed"},      {32, true, INFINITY, "gravityScale"},
        {48, true, -INFINITY, "aiSpeed"}, {80, true, 1e300, "cameraX"},
        {96, true, NAN, "cameraZ"},       {24, true, 3e9, "spinFactor"},
        {24, true, NAN, "spinFactor"},
    };
    const GameSettings shipped = defaultGameSettings();
    for (const Case& c : cases) {
        SettingsRecord r = handMadeRecord();
        if (c.isDouble) {
            putDouble(r, c.offset, c.value);
        } else {
            putInt(r, c.offset, static_cast<int32_t>(c.value));
        }
        std::vector<std::string> warnings;
        const GameSettings g = decode(r, warnings);
        ASSERT_EQ(warnings.size(), 1u) << c.field;
        EXPECT_NE(warnings[0].find("test.dat"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(c.field), std::string::npos) << warnings[0];
        EXPECT_EQ(g.pointsPerGame, c.offset == 64 ? 11 : 21);
        if (c.offset == 68 || c.offset == 72) {
            EXPECT_EQ(g.screenWidth, 1024);
            EXPECT_EQ(g.screenHeight, 768);
        }
        if (c.offset == 8) {
            EXPECT_EQ(g.gameSpeed, shipped.gameSpeed);
        }
        if (c.offset == 24) {
            EXPECT_EQ(g.spinFactor, shipped.spinFactor);
        }
        EXPECT_TRUE(std::isfinite(g.cameraX) && std::isfinite(g.cameraZ));
    }
}

TEST(DecodeSettings, ShippedRecordGivesShippedSettings) {
    std::vector<std::string> warnings;
    const GameSettings g = decode(defaultSettingsRecord(), warnings);
    const GameSettings d = defaultGameSettings();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(g.simpleGraphics, d.simpleGraphics);
    EXPECT_EQ(g.gameSpeed, d.gameSpeed);
    EXPECT_EQ(g.spinFactor, d.spinFactor);
    EXPECT_EQ(g.gravityScale, d.gravityScale);
    EXPECT_EQ(g.aiSkill, d.aiSkill);
    EXPECT_EQ(g.aiSpeed, d.aiSpeed);
    EXPECT_EQ(g.pointsPerGame, d.pointsPerGame);
    EXPECT_EQ(g.screenWidth, d.screenWidth);
    EXPECT_EQ(g.screenHeight, d.screenHeight);
    EXPECT_EQ(g.cameraX, d.cameraX);
    EXPECT_EQ(g.cameraY, d.cameraY);
    EXPECT_EQ(g.cameraZ, d.cameraZ);
    EXPECT_EQ(g.player1Mouse, d.player1Mouse);
    EXPECT_EQ(g.player2Keyboard, d.player2Keyboard);
    // The file holds plain decimals, not widened floats.
    EXPECT_EQ(readDouble(defaultSettingsRecord(), field::aiSkill), 0.7);
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/spinvale-settings-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        path_ = dir_ + "/settings.dat";
    }
    void TearDown() override {
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    void writeBytes(const void* data, std::size_t size) {
        std::ofstream(path_, std::ios::binary).write(static_cast<const char*>(data), size);
    }
    std::string dir_, path_;
};

TEST_F(SettingsFileTest, MissingOrShortFilesGiveTheShippedSettings) {
    std::vector<std::string> warnings;
    GameSettings g = loadSettings(path_, warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(path_), std::string::npos);
    EXPECT_EQ(g.pointsPerGame, defaultGameSettings().pointsPerGame);

    const SettingsRecord r = handMadeRecord();
    writeBytes(r.data(), 111);  // one byte short: nothing of it is used
    warnings.clear();
    g = loadSettings(path_, warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("111"), std::string::npos) << warnings[0];
    EXPECT_EQ(g.pointsPerGame, 11);
}

TEST_F(SettingsFileTest, OnlyTheFirst112BytesCount) {
    const SettingsRecord record = handMadeRecord();
    std::vector<uint8_t> bytes(record.begin(), record.end());
    bytes.resize(500, 0xff);
    writeBytes(bytes.data(), bytes.size());
    std::vector<std::string> warnings;
    const GameSettings g = loadSettings(path_, warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(g.pointsPerGame, 21);
}

TEST_F(SettingsFileTest, RewriteReplacesTheFileWhole) {
    writeBytes("old", 3);
    std::string error;
    ASSERT_TRUE(writeSettingsRecord(path_, handMadeRecord(), error)) << error;
    SettingsRecord back{};
    ASSERT_TRUE(readSettingsRecord(path_, back, error)) << error;
    EXPECT_EQ(back, handMadeRecord());
    // Nothing is left behind next to it.
    int entries = 0;
    DIR* dir = opendir(dir_.c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* e = readdir(dir)) {
        entries += e->d_name[0] != '.';
    }
    closedir(dir);
    EXPECT_EQ(entries, 1);

    EXPECT_FALSE(writeSettingsRecord(dir_ + "/no/such/folder/settings.dat", back, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace spinvale
