#include "menu.h"

#include <algorithm>
#include <iterator>

namespace spinvale {

namespace {

const PageLine howToPlayPage[] = {
    {LineStyle::Title, "How to play"},
    {LineStyle::Heading, "Controls"},
    {LineStyle::Body,
     "Mouse: player 1's paddle follows the pointer; the left button tosses the serve and "
     "swings."},
    {LineStyle::Body,
     "Arrow keys: player 2's paddle (Up is away from the net); Enter tosses the serve and "
     "swings."},
    {LineStyle::Body,
     "Gamepad: player 2's left stick or D-pad as the arrows, A as Enter, Back as Tab, Start as "
     "Esc."},
    {LineStyle::Body,
     "F1 or Alt+Enter: fullscreen or a window. Tab: this menu. Esc: quit (in the menu: back to "
     "the game)."},
    {LineStyle::Heading, "Rules"},
    {LineStyle::Body, "A game is 11 or 21 points, and the winner must lead by two."},
    {LineStyle::Body,
     "The service changes every 2 points (every 5 in a 21-point game), and after every point "
     "from 10-10 (20-20)."},
    {LineStyle::Heading, "Strokes"},
    {LineStyle::Body,
     "The ball is returned when it crosses your paddle's plane within its reach, after its "
     "bounce on your half."},
    {LineStyle::Body,
     "A return without a swing keeps the ball's sideways course and often flies wide."},
    {LineStyle::Body,
     "Click (or press Enter) so that the swing is under way as the ball arrives: the further "
     "into the swing, the more the ball turns, toward the side you last moved from."},
    {LineStyle::Body, "Moving the mouse sideways after the stroke puts spin on the ball."},
    {LineStyle::Note, ""},
    {LineStyle::Note, "Enter, Esc or a click: back to the menu."},
};

// The pages of entries of their own, opened from the menu's page.
bool subPage(MenuPage page) {
    return page == MenuPage::Host || page == MenuPage::Join || page == MenuPage::Practice;
}

bool offered(const Menu& menu, const MenuRow& row) {
    switch (menu.page) {
        case MenuPage::Host:
            return row.offer == Offer::HostPage;
        case MenuPage::Join:
            return row.offer == Offer::JoinPage;
        case MenuPage::Practice:
            return row.offer == Offer::PracticePage;
        default:
            return row.offer == Offer::Always || (row.offer == Offer::Local && !menu.networkGame);
    }
}

// The rows the page shows, top to bottom: the join page's found games after its entries.
std::vector<std::size_t> rowsShown(const Menu& menu) {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < menuRows.size(); ++i) {
        if (offered(menu, menuRows[i])) {
            shown.push_back(i);
        }
    }
    if (menu.page == MenuPage::Join) {
        for (std::size_t i = 0; i < menu.found.size(); ++i) {
            shown.push_back(menuRows.size() + i);
        }
    }
    return shown;
}

// The table's row the keys act on; nothing on a found game.
const MenuRow* selectedRow(const Menu& menu) {
    return menu.selected < menuRows.size() ? &menuRows[menu.selected] : nullptr;
}

std::size_t rowNamed(const char* name) {
    std::size_t i = 0;
    while (std::string(menuRows[i].name) != name) {
        ++i;
    }
    return i;
}

// The entry that opens a page.
std::size_t rowOpening(MenuPage page) {
    std::size_t i = 0;
    while (menuRows[i].opens != page) {
        ++i;
    }
    return i;
}

// The row step places from the selected one, round the page's ends.
std::size_t rowAfter(const Menu& menu, int step) {
    const std::vector<std::size_t> shown = rowsShown(menu);
    const int count = int(shown.size());
    const int now = int(std::find(shown.begin(), shown.end(), menu.selected) - shown.begin());
    return shown[std::size_t((now + step + count) % count)];
}

MenuAction enter(Menu& menu) {
    if (!selectedRow(menu)) {  // a found game: its address, then the code is typed
        menu.address = menu.found[menu.selected - menuRows.size()].address;
        menu.selected = rowNamed("Code");
        return MenuAction::None;
    }
    const MenuRow& row = *selectedRow(menu);
    if (row.choice == ChoiceKind::Text) {
        menu.selected = rowAfter(menu, 1);  // on to the next field, then to Join
        return MenuAction::None;
    }
    if (row.choice != ChoiceKind::None) {
        return stepChoice(menu, row, 1);
    }
    if (row.opens != MenuPage::Entries) {
        menu.page = row.opens;
    }
    if (subPage(row.opens)) {
        menu.selected = rowsShown(menu).front();
    }
    return row.action;
}

MenuAction pressOnTextPage(Menu& menu, MenuKey key) {
    if (key == MenuKey::Tab) {
        return MenuAction::Close;
    }
    if (key == MenuKey::Enter || key == MenuKey::Escape) {
        menu.page = MenuPage::Entries;
    }
    return MenuAction::None;
}

// Esc on the host, join or practice page goes back to the menu's entries, elsewhere back to
// the match.
MenuAction escape(Menu& menu) {
    if (!subPage(menu.page)) {
        return MenuAction::Close;
    }
    menu.selected = rowOpening(menu.page);
    menu.page = MenuPage::Entries;
    return MenuAction::None;
}

std::string* selectedField(Menu& menu) {
    const MenuRow* row = selectedRow(menu);
    return row && row->choice == ChoiceKind::Text ? &(menu.*row->text) : nullptr;
}

// How the page's keys work, and in a network game why so few entries.
std::vector<std::string> pageHints(const Menu& menu) {
    if (menu.page == MenuPage::Host) {
        return {
            "The game is listed by its name on this network. Asked, your router (UPnP or "
            "NAT-PMP) lets players outside your network reach it.",
            "Enter on Host begins; Esc: back to the menu."};
    }
    if (menu.page == MenuPage::Join) {
        const std::string found = menu.searching       ? "Looking for games on this network..."
                                  : menu.found.empty() ? "No game found on this network."
                                                       : "Enter on a game found on this network "
                                                         "puts its address above.";
        return {found,
                "Type the host's address (HOST or HOST:PORT) and the join code it shows, or "
                "paste its invite (Ctrl+V); Enter on Join calls the host. Esc: back to the "
                "menu."};
    }
    if (menu.page == MenuPage::Practice) {
        return {
            "The computer serves every ball and keeps no score: returns, or a rally it "
            "keeps going. After each stroke the game says where the ball went and how "
            "your swing compared with the one that sends it to the target's middle.",
            "Enter on Start begins; Esc: back to the menu."};
    }
    std::vector<std::string> hints = {
        "Up and Down choose; Left, Right, Enter or a click change; Esc or Tab: back to the "
        "game."};
    if (menu.networkGame) {
        hints.push_back("The network game plays on under the menu; the host's settings decide it.");
    }
    return hints;
}

}  // namespace

bool showsText(const Menu& menu) {
    return menu.page == MenuPage::HowToPlay || menu.page == MenuPage::Statistics;
}

void openMenu(Menu& menu, const GameSettings& playing, const DisplayChoices& display,
              int samplesInUse) {
    menu.open = true;
    menu.page = MenuPage::Entries;
    menu.selected = 0;
    menu.netProblem.clear();
    GameSettings settings = playing;
    layOver(menu.chosen, settings);
    menu.chosen.settings = settings;
    DisplayChoices shown = display;
    layOver(menu.chosen, shown);
    menu.chosen.display = shown;
    menu.samplesInUse = samplesInUse;
}

MenuAction pressMenuKey(Menu& menu, MenuKey key) {
    if (key == MenuKey::ToggleFullscreen) {
        return stepChoice(menu, menuRows[rowNamed("Fullscreen")], 1);
    }
    if (showsText(menu)) {
        return pressOnTextPage(menu, key);
    }
    switch (key) {
        case MenuKey::Up:
        case MenuKey::Down:
            menu.selected = rowAfter(menu, key == MenuKey::Up ? -1 : 1);
            return MenuAction::None;
        case MenuKey::Left:
        case MenuKey::Right:
            return selectedRow(menu) == nullptr
                       ? MenuAction::None
                       : stepChoice(menu, *selectedRow(menu), key == MenuKey::Left ? -1 : 1);
        case MenuKey::Enter:
            return enter(menu);
        case MenuKey::Backspace:
            if (std::string* field = selectedField(menu); field != nullptr && !field->empty()) {
                field->pop_back();
            }
            return MenuAction::None;
        case MenuKey::Escape:
            return escape(menu);
        default:
            return MenuAction::Close;
    }
}

void typeIntoMenu(Menu& menu, const std::string& text) {
    std::string* field = selectedField(menu);
    if (field == nullptr) {
        return;
    }
    for (char c : text) {
        if (c >= ' ' && c <= '~' && field->size() < menuRows[menu.selected].longest) {
            field->push_back(c);
        }
    }
}

void fillJoinFields(Menu& menu, const std::string& address, const std::string& code) {
    menu.address = address;
    menu.code = code;
    menu.selected = rowNamed("Join");
}

void showFoundGames(Menu& menu, std::vector<FoundGame> games, bool searching) {
    menu.found = std::move(games);
    menu.searching = searching;
    if (menu.selected >= menuRows.size() + menu.found.size()) {
        menu.selected = rowNamed("Join");
    }
}

MenuAction clickMenuEntry(Menu& menu, std::size_t row) {
    if (showsText(menu)) {
        menu.page = MenuPage::Entries;
        return MenuAction::None;
    }
    menu.selected = row;
    return selectedField(menu) != nullptr ? MenuAction::None : enter(menu);
}

bool matchChoicesDiffer(const Menu& menu, const GameSettings& playing) {
    if (menu.networkGame) {
        return false;  // the host's settings decide a network game
    }
    const GameSettings chosen = carryAdaptedStrength(menu.chosen.settings, playing);
    for (const MenuRow& row : menuRows) {
        for (const SettingsField& f : row.fields) {
            if (f.name != nullptr && !sameField(chosen, playing, f)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<PageLine> menuPage(const Menu& menu, const GameSettings& playing,
                               const std::vector<std::string>& notes) {
    if (menu.page == MenuPage::HowToPlay) {
        return {std::begin(howToPlayPage), std::end(howToPlayPage)};
    }
    const char* title = menu.page == MenuPage::Host       ? "Host a network game"
                        : menu.page == MenuPage::Join     ? "Join a network game"
                        : menu.page == MenuPage::Practice ? "Practice"
                                                          : "Spinvale";
    std::vector<PageLine> page = {{LineStyle::Title, title}};
    for (const std::size_t row : rowsShown(menu)) {
        page.push_back(
            {row == menu.selected ? LineStyle::Selected : LineStyle::Entry, entryText(menu, row)});
    }
    page.push_back({LineStyle::Note, ""});
    for (const std::string& hint : pageHints(menu)) {
        page.push_back({LineStyle::Note, hint});
    }
    if (matchChoicesDiffer(menu, playing)) {
        page.push_back({LineStyle::Note, "Leaving the menu starts a new game at 0-0."});
    }
    if (!menu.netProblem.empty()) {
        page.push_back({LineStyle::Note, menu.netProblem});
    }
    for (const std::string& note : notes) {
        page.push_back({LineStyle::Note, note});
    }
    return page;
}

bool entryOnLine(const Menu& menu, int line, std::size_t& row) {
    const std::vector<std::size_t> shown = rowsShown(menu);
    if (showsText(menu) || line < 1 || line > int(shown.size())) {
        return false;
    }
    row = shown[std::size_t(line - 1)];
    return true;
}

}  // namespace spinvale
