// The menu's state: what keys and clicks do, which choices start a new game, how the
// player's choices lie over settings and files, and the presets it offers.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <tuple>

#include "endless_games.h"
#include "menu.h"

namespace spinvale {
namespace {

// The row of the entry with this name.
std::size_t row(const std::string& name) {
    return std::size_t(std::find_if(menuRows.begin(), menuRows.end(),
                                    [&](const MenuRow& r) { return r.name == name; }) -
                       menuRows.begin());
}

Menu openedMenu() {
    Menu menu;
    openMenu(menu, defaultGameSettings(), DisplayChoices{}, 4);
    return menu;
}

TEST(Menu, KeysMoveThroughTheEntriesAndActOnThem) {
    Menu menu = openedMenu();
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::Close) << "Resume";
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Escape), MenuAction::Close);
    EXPECT_EQ(clickMenuEntry(menu, row("New game")), MenuAction::NewGame);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Down), MenuAction::None);
    EXPECT_EQ(menu.selected, row("Player 1"));
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[3].style, LineStyle::Selected);
    menu.selected = row("Resume");
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Up), MenuAction::None);
    EXPECT_EQ(menu.selected, row("Quit")) << "Up from the top wraps round";
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::Quit);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Up), MenuAction::None);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::None);
    EXPECT_EQ(menu.page, MenuPage::HowToPlay);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Escape), MenuAction::None) << "Esc: back to the entries";
    EXPECT_EQ(menu.page, MenuPage::Entries);
    EXPECT_EQ(clickMenuEntry(menu, row("How to play")), MenuAction::None);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Tab), MenuAction::Close) << "Tab closes from the page";

    std::size_t entry = row("Quit");
    menu.page = MenuPage::Entries;
    EXPECT_TRUE(entryOnLine(menu, 1, entry) && entry == row("Resume")) << "0 is the title";
    EXPECT_FALSE(entryOnLine(menu, 19, entry)) << "the notes under the entries";
}

// Host opens a page: the name the game is listed by, whether the router is asked, and Host.
// Join opens a page of two fields, typed into while selected and bounded, then the games found
// on this network: choosing one fills the address; Join asks the shell to call what is typed.
TEST(Menu, HostOrJoinANetworkGame) {
    Menu menu = openedMenu();
    EXPECT_EQ(clickMenuEntry(menu, row("Host a network game")), MenuAction::None);
    typeIntoMenu(menu, "Ana");
    EXPECT_EQ(clickMenuEntry(menu, row("Router")), MenuAction::None);
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[2].text, "Router: leave it as it is");
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Down), MenuAction::None);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Right), MenuAction::None);
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[3].text, "Watchers: none");
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Down), MenuAction::None);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::Host);
    EXPECT_TRUE(menu.hostName == "Ana" && !menu.askRouter && !menu.watchersWelcome);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Escape), MenuAction::None);
    EXPECT_EQ(std::tuple(menu.page, menu.selected),
              std::tuple(MenuPage::Entries, row("Host a network game")));
    EXPECT_EQ(clickMenuEntry(menu, row("Join a network game")), MenuAction::None);
    typeIntoMenu(menu, "10.0.0.7:x");
    pressMenuKey(menu, MenuKey::Enter);  // on to the code
    EXPECT_EQ(menu.selected, row("Code"));
    clickMenuEntry(menu, row("Address"));
    pressMenuKey(menu, MenuKey::Backspace);
    typeIntoMenu(menu, "9\xc3\xa9");
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[1].text, "Address: 10.0.0.7:9_");
    menu.selected = row("Code");
    typeIntoMenu(menu, std::string(20, 'k'));
    EXPECT_EQ(menu.code, std::string(12, 'k'));
    pressMenuKey(menu, MenuKey::Enter);  // on to Join
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::Join);

    showFoundGames(menu, {{"Bo", "192.168.1.30"}, {"Cy", "192.168.1.31:27456"}}, false);
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[5].text, "Cy: 192.168.1.31:27456");
    pressMenuKey(menu, MenuKey::Down);
    pressMenuKey(menu, MenuKey::Down);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Left), MenuAction::None) << "a game has no choice";
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::None);
    EXPECT_EQ(std::tuple(menu.address, menu.selected),
              std::tuple("192.168.1.31:27456", row("Code")));
    std::size_t entry = 0;
    EXPECT_TRUE(entryOnLine(menu, 4, entry) && entry == menuRows.size()) << "Bo, clicked";
    menu.selected = entry;
    showFoundGames(menu, {}, true);
    EXPECT_EQ(menu.selected, row("Join")) << "the game selected went";
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[5].text,
              "Looking for games on this network...");
    fillJoinFields(menu, "192.0.2.7:4000", "K7MQ2P");
    EXPECT_EQ(std::tuple(menu.address, menu.code, menu.selected),
              std::tuple("192.0.2.7:4000", "K7MQ2P", row("Join")));
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Escape), MenuAction::None);
    EXPECT_EQ(menu.selected, row("Join a network game"));
    typeIntoMenu(menu, "x");
    EXPECT_EQ(menu.address, "192.0.2.7:4000") << "typed with no field selected";
    EXPECT_EQ(clickMenuEntry(menu, row("Watch a network game")), MenuAction::None);
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[2].text, "Code: K7MQ2P") << "watching";
}

// A network game plays on under the menu: it offers only what leaves the match alone.
TEST(Menu, ANetworkGameOffersOnlyWhatLeavesTheMatchAlone) {
    Menu menu;
    menu.networkGame = true;
    openMenu(menu, defaultGameSettings(), DisplayChoices{}, 4);
    pressMenuKey(menu, MenuKey::Down);
    EXPECT_EQ(menu.selected, row("Sound"));
    std::size_t entry = row("Resume");
    EXPECT_TRUE(entryOnLine(menu, 7, entry) && entry == row("Quit"));
    EXPECT_FALSE(entryOnLine(menu, 8, entry));
    const std::string last = menuPage(menu, defaultGameSettings(), {}).back().text;
    EXPECT_NE(last.find("host's settings decide"), std::string::npos);
    menu.watching = true;  // a watcher: the window, the sound, how to play and Quit
    openMenu(menu, defaultGameSettings(), DisplayChoices{}, 4);
    EXPECT_EQ(menu.selected, row("Sound"));
    EXPECT_TRUE(entryOnLine(menu, 3, entry) && entry == row("How to play"));
    EXPECT_FALSE(entryOnLine(menu, 5, entry));
}

// Match choices wait for the menu to close; window and sound choices apply at once. Values
// that make no preset show as custom and step to the first or the last; the strength's last
// is Adaptive, which goes on from the values shown and, chosen again, from those the game
// being played has reached.
TEST(Menu, ValueEntriesCycleAndTellWhatChanged) {
    GameSettings own = defaultGameSettings();
    own.aiSkill = 0.55f;
    Menu menu;
    openMenu(menu, own, DisplayChoices{}, 2);
    menu.selected = row("Computer");
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Left), MenuAction::SettingsChanged);
    EXPECT_EQ(entryText(menu, row("Computer")), "Computer: Adaptive") << "from custom, Left";
    EXPECT_TRUE(menu.chosen.settings.adaptiveStrength && menu.chosen.settings.aiSkill == 0.55f);
    EXPECT_TRUE(menu.chosen.fieldsSet[6]) << "adaptiveStrength, kept in the file";
    GameSettings adapted = own;
    adapted.adaptiveStrength = true;
    adapted.aiSkill = 0.3f;
    EXPECT_FALSE(matchChoicesDiffer(menu, adapted));
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Right), MenuAction::SettingsChanged);
    EXPECT_EQ(menu.chosen.settings.aiSpeed, strengthPresets[0].second) << "Adaptive, Right: Easy";
    EXPECT_TRUE(matchChoicesDiffer(menu, own));
    EXPECT_EQ(clickMenuEntry(menu, row("Game")), MenuAction::SettingsChanged);
    EXPECT_EQ(menu.chosen.settings.pointsPerGame, 21);
    EXPECT_EQ(clickMenuEntry(menu, row("Anti-aliasing")), MenuAction::DisplayChanged);
    EXPECT_EQ(menu.chosen.display.samples, 0) << "as the renderer suits, then off";
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Left), MenuAction::DisplayChanged);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Left), MenuAction::DisplayChanged);
    EXPECT_EQ(menu.chosen.display.samples, 8) << "back past automatic to 8 samples";
    EXPECT_EQ(pressMenuKey(menu, MenuKey::ToggleFullscreen), MenuAction::DisplayChanged);
    EXPECT_FALSE(menu.chosen.display.fullscreen);
    const std::vector<PageLine> page = menuPage(menu, own, {"kept"});
    EXPECT_EQ(page[9].text, "Computer: Easy");
    EXPECT_EQ(page[13].text, "Anti-aliasing: 8 samples (2 in use)");
    EXPECT_EQ(page.back().text, "kept");
    EXPECT_EQ(page[page.size() - 2].text, "Leaving the menu starts a new game at 0-0.");
}

// The practice page chooses the drill and starts it, Esc goes back to its entry; the
// statistics page is left as how to play is.
TEST(Menu, PracticeAndStatisticsPages) {
    Menu menu = openedMenu();
    EXPECT_EQ(clickMenuEntry(menu, row("Practice")), MenuAction::None);
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[1].text, "Drill: returns");
    pressMenuKey(menu, MenuKey::Right);
    pressMenuKey(menu, MenuKey::Down);
    pressMenuKey(menu, MenuKey::Left);
    EXPECT_EQ(entryText(menu, row("Target")), "Target: the right half");
    EXPECT_EQ(menu.practice, (PracticeRules{PracticeMode::Rally, PracticeTarget::Right}));
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Up), MenuAction::None);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Up), MenuAction::None);
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::Practice) << "Start";
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Escape), MenuAction::None);
    EXPECT_EQ(std::tuple(menu.page, menu.selected), std::tuple(MenuPage::Entries, row("Practice")));
    clickMenuEntry(menu, row("Statistics"));
    EXPECT_TRUE(showsText(menu));
    EXPECT_EQ(pressMenuKey(menu, MenuKey::Enter), MenuAction::None);
    EXPECT_EQ(menu.page, MenuPage::Entries);
}

// Opened again over settings read afresh, the menu shows the player's choices over them and
// leaves the other fields and display choices as read. (What goes into a file, the settings
// store's tests show.)
TEST(Menu, ChangesAreLaidOverOnlyWhereThePlayerMadeThem) {
    Menu menu = openedMenu();
    clickMenuEntry(menu, row("Player 2"));
    clickMenuEntry(menu, row("Sound"));
    GameSettings read = defaultGameSettings();
    read.pointsPerGame = 21;
    openMenu(menu, read, DisplayChoices{true, true, 2}, 2);
    EXPECT_TRUE(menu.chosen.settings.player2Keyboard);
    EXPECT_EQ(menu.chosen.settings.pointsPerGame, 21) << "a field the player left alone";
    EXPECT_EQ(menu.chosen.display, (DisplayChoices{true, false, 2}));
}

// Normal is what the game ships; every ball speed lies where computer games end; each step
// up in strength is more accurate and quicker.
TEST(Menu, PresetsAreTheShippedSettingsAndPlayableOnes) {
    const GameSettings shipped = defaultGameSettings();
    EXPECT_EQ(
        std::tuple(strengthPresets[1].first, strengthPresets[1].second, ballSpeedPresets[1].first,
                   ballSpeedPresets[1].second),
        std::tuple(shipped.aiSkill, shipped.aiSpeed, shipped.gameSpeed, shipped.gravityScale));
    for (int i = 0; i < 3; ++i) {
        GameSettings g = shipped;
        g.gameSpeed = ballSpeedPresets[i].first, g.gravityScale = ballSpeedPresets[i].second;
        EXPECT_EQ(endlessGameWarning(g), "") << ballSpeedPresets[i].name;
        EXPECT_TRUE(i == 0 || (strengthPresets[i].first > strengthPresets[i - 1].first &&
                               strengthPresets[i].second > strengthPresets[i - 1].second &&
                               ballSpeedPresets[i].first > ballSpeedPresets[i - 1].first))
            << i;
    }
}

}  // namespace
}  // namespace spinvale
