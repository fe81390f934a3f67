// The settings store as a player meets it: the choices' own file, a file read again, warnings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <tuple>

#include "data_paths.h"
#include "settings_store.h"

namespace spinvale {
namespace {

struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/spinvale-store-XXXXXX";
        path = mkdtemp(name);
        setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string own() const { return path + "/config/spinvale/settings.dat"; }
    std::string read() const { return path + "/read.dat"; }
};

void write(const std::string& path, const GameSettings& settings, const DisplayChoices& display) {
    SettingsRecord record = defaultSettingsRecord();
    encodeSettings(settings, record);
    std::string error;
    ASSERT_TRUE(writeSettingsRecord(path, record, display, error)) << error;
}

std::string bytesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

PlayerChoices player2AtTheKeys() {
    PlayerChoices choices;
    choices.settings.player2Keyboard = true;
    markSet(choices, field::player2Keyboard);
    return choices;
}

// The own file is made from the settings played, the file read never written.
TEST(SettingsStore, TheOwnFileIsMadeThenWrittenOverAndAFileReadAgainKeepsTheChoices) {
    Folder folder;
    GameSettings kept = defaultGameSettings();
    kept.pointsPerGame = 21;
    write(folder.read(), kept, DisplayChoices{});
    const std::string before = bytesOf(folder.read());
    SettingsStore store(folder.read(), "");
    EXPECT_EQ(store.keep(player2AtTheKeys()), "");
    EXPECT_EQ(bytesOf(folder.read()), before);
    std::vector<std::string> warnings;
    kept.player2Keyboard = true;
    EXPECT_EQ(loadSettings(folder.own(), warnings), kept);
    EXPECT_EQ(store.settings(), kept);
    EXPECT_NE(store.menuNotes()[0].find("named with --settings"), std::string::npos);
    SettingsRecord record;
    std::iota(record.begin(), record.end(), uint8_t(1));
    encodeSettings(defaultGameSettings(), record);
    std::string error;
    ASSERT_TRUE(makeDirectories(folder.path + "/config/spinvale", error));
    ASSERT_TRUE(writeSettingsRecord(folder.own(), record, DisplayChoices{false, true, 2}, error));
    const std::string ownBefore = bytesOf(folder.own());
    SettingsStore again(folder.read(), "");
    PlayerChoices choices = player2AtTheKeys();
    choices.display.sound = false;
    markSet(choices, DisplayField::Sound);
    EXPECT_EQ(again.keep(choices), "");
    const std::string after = bytesOf(folder.own());
    ASSERT_EQ(after.size(), ownBefore.size()) << "the display choices' block is kept";
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i] != ownBefore[i], i == 108 || i == 120) << i;  // player 2, sound
    }
    EXPECT_EQ(readDisplayChoices(folder.own(), warnings), (DisplayChoices{false, false, 2}));
    // The file read again keeps the player's choices over it; its problems are told once.
    std::ofstream(folder.read()) << "short";
    SettingsStore third(folder.read(), "");
    const std::vector<std::string> told = third.takeWarnings();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("only 5 of 112 bytes"), std::string::npos) << told[0];
    third.keep(player2AtTheKeys());
    kept.player2Keyboard = false;
    write(folder.read(), kept, DisplayChoices{});
    EXPECT_TRUE(third.reload().pointsPerGame == 21 && third.settings().player2Keyboard);
    std::ofstream(folder.read()) << "short";
    third.reload();
    EXPECT_TRUE(third.takeWarnings().empty());
}

// With a file in the way of the player's folder, the choices hold and the menu says why.
TEST(SettingsStore, TheMenuSaysWhereTheChoicesAreKeptOrWhyNot) {
    Folder folder;
    std::ofstream(folder.path + "/config").put('x');
    SettingsStore store(folder.path + "/none.dat", "");
    const std::string error = store.keep(player2AtTheKeys());
    EXPECT_EQ(error, "cannot make " + folder.path + "/config/spinvale: Not a directory");
    EXPECT_EQ(store.menuNotes().back(), "The choices could not be kept: " + error);
    EXPECT_TRUE(store.settings().player2Keyboard);
    const std::string own = "/home/ann/.config/spinvale/settings.dat";
    const std::tuple<std::string, std::string, bool, std::string, std::string> cases[] = {
        {own, own, false, "/home/ann", "Choices are kept in ~/.config/spinvale/settings.dat."},
        {own, "settings.dat", false, "/home/ann", "working folder comes first"},
        {own, "/tmp/x.dat", true, "/home/an",
         "Choices are kept in " + own + ", but this game reads /tmp/x.dat (named with --settings)"},
        {"", own, false, "", "last until you quit"}};
    for (const auto& [saved, read, named, home, says] : cases) {
        const std::string note = keptInNote(saved, read, named, home);
        EXPECT_NE(note.find(says), std::string::npos) << note;
    }
}

}  // namespace
}  // namespace spinvale
