// The settings record: layout, conversions, fallbacks for unusable values, the file read.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

#include "bmp_bytes.h"
#include "settings_file.h"

namespace spinvale {
namespace {

// A record at the documented offsets (16 and 56 reserved, 76 a gap), then the changes over it.
SettingsRecord record(std::vector<std::pair<std::size_t, double>> changes = {}) {
    std::vector<std::pair<std::size_t, double>> fields = {
        {0, 1},     {8, 12.5},   {16, 999}, {24, -2.9}, {32, 9.75}, {40, 0.25},
        {48, 35.5}, {56, -1},    {64, 21},  {68, 1280}, {72, 720},  {76, 12345},
        {80, -5},   {88, 250.1}, {96, 330}, {104, 2},   {108, 0}};
    fields.insert(fields.end(), changes.begin(), changes.end());
    SettingsRecord r{};
    for (const auto& [offset, value] : fields) {
        const bool isInt = offset == 0 || (offset >= 64 && offset <= 76) || offset >= 104;
        const int32_t whole = isInt ? int32_t(value) : 0;
        std::memcpy(r.data() + offset, isInt ? static_cast<const void*>(&whole) : &value,
                    isInt ? 4 : 8);
    }
    return r;
}

// The decoded numbers a broken field can spoil, in file order.
std::vector<double> numbers(const GameSettings& g) {
    const double spin = g.spinFactor, points = g.pointsPerGame;
    const double width = g.screenWidth, height = g.screenHeight;
    return {g.gameSpeed, spin,   g.gravityScale, g.aiSkill, g.aiSpeed, points,
            width,       height, g.cameraX,      g.cameraY, g.cameraZ};
}

const std::vector<double> handMadeNumbers = {12.5, -2,  9.75, 0.25f,  35.5, 21,
                                             1280, 720, -5,   250.1f, 330};

// Odd values the game can play with are kept (the skill clamped), others take the shipped value
// with one warning naming the field; of a long file, 112 bytes count.
TEST(SettingsFile, FieldsAreReadAtTheirOffsetsAndUnusableValuesAndFilesFallBackWithAWarning) {
    std::vector<std::string> warnings;
    const GameSettings g = decodeSettings(record(), "test.dat", warnings);
    EXPECT_EQ(numbers(g), handMadeNumbers);  // the spin truncated toward zero
    // Any nonzero value makes a human player.
    EXPECT_EQ(std::tuple(g.simpleGraphics, g.player1Mouse, g.player2Keyboard),
              std::tuple(1, true, false));
    const GameSettings shipped = decodeSettings(defaultSettingsRecord(), "shipped", warnings);
    EXPECT_EQ(numbers(shipped), numbers(defaultGameSettings()));
    EXPECT_TRUE(warnings.empty());
    // Offset, value, the field warned of ("" for none), its index in numbers(), the value used.
    const std::tuple<std::size_t, double, const char*, std::size_t, double> cases[] = {
        {40, 1.5, "", 3, 1},
        {40, -0.25, "", 3, 0},
        {40, NAN, "", 3, 0},
        {24, -7.99, "", 1, -7},
        {8, 0, "", 0, 0},
        {64, 15, "pointsPerGame", 5, 11},
        {68, 0, "screenWidth", 6, 1024},
        {72, 0, "screenHeight", 7, 768},
        {8, NAN, "gameSpeed", 0, 14},
        {32, INFINITY, "gravityScale", 2, 12},
        {48, -INFINITY, "aiSpeed", 4, 40},
        {80, 1e300, "cameraX", 8, 0},
        {88, -3.5e38, "cameraY", 9, 300},
        {96, NAN, "cameraZ", 10, 320},
        {24, 2147483648.0, "spinFactor", 1, 6},
        {24, -2147483649.0, "spinFactor", 1, 6},
        {24, NAN, "spinFactor", 1, 6}};
    for (const auto& [offset, value, field, index, used] : cases) {
        warnings.clear();
        const GameSettings g = decodeSettings(record({{offset, value}}), "test.dat", warnings);
        ASSERT_EQ(warnings.size(), *field != '\0' ? 1u : 0u) << offset << ": " << value;
        EXPECT_TRUE(warnings.empty() || warnings[0].find("test.dat: " + std::string(field)) == 0)
            << offset;
        std::vector<double> expected = handMadeNumbers;
        expected[index] = used;
        if (index == 6 || index == 7) {  // both screen sides fall back together
            std::tie(expected[6], expected[7]) = std::tuple(1024, 768);
        }
        EXPECT_EQ(numbers(g), expected) << offset << ": " << value;
    }
    const SettingsRecord r = record();
    test::Bytes longer(r.begin(), r.end());
    longer.resize(500, 0xff);
    const std::tuple<std::string, const char*, std::vector<double>> files[] = {
        {"/nonexistent/settings.dat", "No such file", numbers(defaultGameSettings())},
        {test::temporaryFile(test::Bytes(r.begin(), r.end() - 1)), "only 111",
         numbers(defaultGameSettings())},
        {test::temporaryFile(longer), nullptr, handMadeNumbers}};
    for (const auto& [path, warning, settings] : files) {
        warnings.clear();
        EXPECT_EQ(numbers(loadSettings(path, warnings)), settings);
        ASSERT_EQ(warnings.size(), warning ? 1u : 0u);
        EXPECT_TRUE(!warning || warnings[0].find(path + ": " + warning) == 0) << path;
        std::remove(path.c_str());
    }
}

}  // namespace
}  // namespace spinvale
