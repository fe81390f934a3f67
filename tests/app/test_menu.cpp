// The menu's state: keys and clicks, which choices start a new game, presets it offers.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "endless_games.h"
#include "menu.h"

namespace spinvale {
namespace {

using A = MenuAction;
using K = MenuKey;

std::size_t row(const std::string& name) {
    const auto named = [&](const MenuRow& r) { return r.name == name; };
    return std::size_t(std::find_if(menuRows.begin(), menuRows.end(), named) - menuRows.begin());
}

Menu openedMenu(bool networkGame = false) {
    Menu menu;
    menu.networkGame = networkGame;
    openMenu(menu, defaultGameSettings(), DisplayChoices{}, 4);
    return menu;
}

std::vector<A> press(Menu& menu, std::initializer_list<K> keys) {
    std::vector<A> actions;
    for (const K key : keys) {
        actions.push_back(pressMenuKey(menu, key));
    }
    return actions;
}

std::string line(const Menu& menu, std::size_t i) {
    return menuPage(menu, defaultGameSettings(), {})[i].text;
}

// Under a network game, and more so a watcher's, the menu offers what leaves the match alone.
TEST(Menu, KeysMoveThroughTheEntriesOfferedAndActOnThem) {
    Menu menu = openedMenu();
    EXPECT_EQ(press(menu, {K::Enter, K::Escape}), (std::vector{A::Close, A::Close})) << "Resume";
    EXPECT_EQ(clickMenuEntry(menu, row("New game")), A::NewGame);
    EXPECT_TRUE(pressMenuKey(menu, K::Down) == A::None && menu.selected == row("Player 1"));
    EXPECT_EQ(menuPage(menu, defaultGameSettings(), {})[3].style, LineStyle::Selected);
    menu.selected = row("Resume");
    EXPECT_TRUE(pressMenuKey(menu, K::Up) == A::None && menu.selected == row("Quit"))
        << "Up from the top wraps round";
    EXPECT_EQ(press(menu, {K::Enter, K::Up, K::Enter}), (std::vector{A::Quit, A::None, A::None}));
    EXPECT_EQ(menu.page, MenuPage::HowToPlay);
    EXPECT_TRUE(pressMenuKey(menu, K::Escape) == A::None && menu.page == MenuPage::Entries);
    EXPECT_EQ(clickMenuEntry(menu, row("How to play")), A::None);
    EXPECT_EQ(pressMenuKey(menu, K::Tab), A::Close) << "Tab closes from the page";
    std::size_t entry = row("Quit");
    menu.page = MenuPage::Entries;
    EXPECT_TRUE(entryOnLine(menu, 1, entry) && entry == row("Resume")) << "0 is the title";
    EXPECT_FALSE(entryOnLine(menu, 19, entry)) << "the notes under the entries";
    menu = openedMenu(true);
    EXPECT_TRUE(pressMenuKey(menu, K::Down) == A::None && menu.selected == row("Sound"));
    entry = row("Resume");
    EXPECT_TRUE(entryOnLine(menu, 7, entry) && entry == row("Quit") &&
                !entryOnLine(menu, 8, entry));
    EXPECT_NE(menuPage(menu, defaultGameSettings(), {}).back().text.find("host's settings decide"),
              std::string::npos);
    menu.watching = true;
    openMenu(menu, defaultGameSettings(), DisplayChoices{}, 4);
    EXPECT_EQ(menu.selected, row("Sound"));
    EXPECT_TRUE(entryOnLine(menu, 3, entry) && entry == row("How to play") &&
                !entryOnLine(menu, 5, entry));
}

// Host: name, router, watchers. Join: two bounded fields, then the games found nearby.
TEST(Menu, PagesToHostJoinOrWatchAGameAndToPractice) {
    Menu menu = openedMenu();
    EXPECT_EQ(clickMenuEntry(menu, row("Host a network game")), A::None);
    typeIntoMenu(menu, "Ana");
    EXPECT_EQ(clickMenuEntry(menu, row("Router")), A::None);
    EXPECT_EQ(line(menu, 2), "Router: leave it as it is");
    EXPECT_EQ(press(menu, {K::Down, K::Right}), std::vector(2, A::None));
    EXPECT_EQ(line(menu, 3), "Watchers: none");
    EXPECT_EQ(press(menu, {K::Down, K::Enter}), (std::vector{A::None, A::Host}));
    EXPECT_TRUE(menu.hostName == "Ana" && !menu.askRouter && !menu.watchersWelcome);
    EXPECT_EQ(pressMenuKey(menu, K::Escape), A::None);
    EXPECT_EQ(std::tuple(menu.page, menu.selected),
              std::tuple(MenuPage::Entries, row("Host a network game")));
    EXPECT_EQ(clickMenuEntry(menu, row("Join a network game")), A::None);
    typeIntoMenu(menu, "10.0.0.7:x");
    pressMenuKey(menu, K::Enter);  // on to the code
    EXPECT_EQ(menu.selected, row("Code"));
    clickMenuEntry(menu, row("Address"));
    pressMenuKey(menu, K::Backspace);
    typeIntoMenu(menu, "9\xc3\xa9");
    EXPECT_EQ(line(menu, 1), "Address: 10.0.0.7:9_");
    menu.selected = row("Code");
    typeIntoMenu(menu, std::string(20, 'k'));
    EXPECT_EQ(menu.code, std::string(12, 'k'));
    EXPECT_EQ(press(menu, {K::Enter, K::Enter}), (std::vector{A::None, A::Join}));
    showFoundGames(menu, {{"Bo", "192.168.1.30"}, {"Cy", "192.168.1.31:27456"}}, false);
    EXPECT_EQ(line(menu, 5), "Cy: 192.168.1.31:27456");
    EXPECT_EQ(press(menu, {K::Down, K::Down, K::Left, K::Enter}), std::vector(4, A::None))
        << "a game has no choice";
    EXPECT_EQ(std::tuple(menu.address, menu.selected),
              std::tuple("192.168.1.31:27456", row("Code")));
    std::size_t entry = 0;
    EXPECT_TRUE(entryOnLine(menu, 4, entry) && entry == menuRows.size()) << "Bo, clicked";
    menu.selected = entry;
    showFoundGames(menu, {}, true);
    EXPECT_EQ(menu.selected, row("Join")) << "the game selected went";
    EXPECT_EQ(line(menu, 5), "Looking for games on this network...");
    fillJoinFields(menu, "192.0.2.7:4000", "K7MQ2P");
    EXPECT_EQ(std::tuple(menu.address, menu.code, menu.selected),
              std::tuple("192.0.2.7:4000", "K7MQ2P", row("Join")));
    EXPECT_EQ(pressMenuKey(menu, K::Escape), A::None);
    EXPECT_EQ(menu.selected, row("Join a network game"));
    typeIntoMenu(menu, "x");
    EXPECT_EQ(menu.address, "192.0.2.7:4000") << "typed with no field selected";
    EXPECT_EQ(clickMenuEntry(menu, row("Watch a network game")), A::None);
    EXPECT_EQ(line(menu, 2), "Code: K7MQ2P") << "watching";
    menu = openedMenu();
    EXPECT_EQ(clickMenuEntry(menu, row("Practice")), A::None);
    EXPECT_EQ(line(menu, 1), "Drill: returns");
    press(menu, {K::Right, K::Down, K::Left});
    EXPECT_EQ(entryText(menu, row("Target")), "Target: the right half");
    EXPECT_EQ(menu.practice, (PracticeRules{PracticeMode::Rally, PracticeTarget::Right}));
    EXPECT_EQ(press(menu, {K::Up, K::Up, K::Enter, K::Escape}),
              (std::vector{A::None, A::None, A::Practice, A::None}));
    EXPECT_EQ(std::tuple(menu.page, menu.selected), std::tuple(MenuPage::Entries, row("Practice")));
    clickMenuEntry(menu, row("Statistics"));
    EXPECT_TRUE(showsText(menu));
    EXPECT_TRUE(pressMenuKey(menu, K::Enter) == A::None && menu.page == MenuPage::Entries);
}

// Match choices wait for the menu to close, window and sound ones apply at once; Adaptive goes
// on from the values shown or those reached.
TEST(Menu, ValueEntriesCycleThroughPlayablePresetsTellWhatChangedAndLieOverSettingsRead) {
    GameSettings own = defaultGameSettings();
    own.aiSkill = 0.55f;
    Menu menu;
    openMenu(menu, own, DisplayChoices{}, 2);
    menu.selected = row("Computer");
    EXPECT_EQ(pressMenuKey(menu, K::Left), A::SettingsChanged);
    EXPECT_EQ(entryText(menu, row("Computer")), "Computer: Adaptive") << "from custom, Left";
    EXPECT_TRUE(menu.chosen.settings.adaptiveStrength && menu.chosen.settings.aiSkill == 0.55f);
    EXPECT_TRUE(menu.chosen.fieldsSet[6]) << "adaptiveStrength, kept in the file";
    GameSettings adapted = own;
    adapted.adaptiveStrength = true, adapted.aiSkill = 0.3f;
    EXPECT_FALSE(matchChoicesDiffer(menu, adapted));
    EXPECT_EQ(pressMenuKey(menu, K::Right), A::SettingsChanged);
    EXPECT_EQ(menu.chosen.settings.aiSpeed, strengthPresets[0].second) << "Adaptive, Right: Easy";
    EXPECT_TRUE(matchChoicesDiffer(menu, own));
    EXPECT_EQ(clickMenuEntry(menu, row("Game")), A::SettingsChanged);
    EXPECT_EQ(menu.chosen.settings.pointsPerGame, 21);
    EXPECT_EQ(clickMenuEntry(menu, row("Anti-aliasing")), A::DisplayChanged);
    EXPECT_EQ(menu.chosen.display.samples, 0) << "as the renderer suits, then off";
    EXPECT_EQ(press(menu, {K::Left, K::Left, K::ToggleFullscreen}),
              std::vector(3, A::DisplayChanged));
    EXPECT_EQ(menu.chosen.display.samples, 8) << "back past automatic to 8 samples";
    EXPECT_FALSE(menu.chosen.display.fullscreen);
    const std::vector<PageLine> page = menuPage(menu, own, {"kept"});
    EXPECT_EQ(page[9].text, "Computer: Easy");
    EXPECT_EQ(page[13].text, "Anti-aliasing: 8 samples (2 in use)");
    EXPECT_EQ(page.back().text, "kept");
    EXPECT_EQ(page[page.size() - 2].text, "Leaving the menu starts a new game at 0-0.");
    menu = openedMenu();
    clickMenuEntry(menu, row("Player 2"));
    clickMenuEntry(menu, row("Sound"));
    GameSettings read = defaultGameSettings();
    read.pointsPerGame = 21;
    openMenu(menu, read, DisplayChoices{true, true, 2}, 2);
    EXPECT_TRUE(menu.chosen.settings.player2Keyboard);
    EXPECT_EQ(menu.chosen.settings.pointsPerGame, 21) << "a field the player left alone";
    EXPECT_EQ(menu.chosen.display, (DisplayChoices{true, false, 2}));
    // Normal is what ships; computer games end at every ball speed; strength steps up in both.
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
