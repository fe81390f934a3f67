#include "menu.h"

#include <algorithm>
#include <iterator>

#include "join_code.h"

namespace spinvale {

const Preset strengthPresets[3] = {{"Easy", 0.4f, 35}, {"Normal", 0.7f, 40}, {"Hard", 0.8f, 46}};
const Preset ballSpeedPresets[3] = {{"slow", 12, 12}, {"normal", 14, 12}, {"fast", 18, 12}};

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

// The settings fields each match entry chooses.
struct EntryFields {
    MenuEntry entry;
    SettingsField fields[2];
    int count;
};
const EntryFields matchEntryFields[] = {
    {MenuEntry::Player1, {field::player1Mouse}, 1},
    {MenuEntry::Player2, {field::player2Keyboard}, 1},
    {MenuEntry::Points, {field::pointsPerGame}, 1},
    {MenuEntry::Computer, {field::aiSkill, field::aiSpeed}, 2},
    {MenuEntry::BallSpeed, {field::gameSpeed, field::gravityScale}, 2},
};

bool isMatchEntry(MenuEntry entry) {
    return std::any_of(std::begin(matchEntryFields), std::end(matchEntryFields),
                       [entry](const EntryFields& e) { return e.entry == entry; });
}

// What each page offers. In a network game, whose match cannot wait, only what leaves the
// match alone.
const MenuEntry localEntries[] = {
    MenuEntry::Resume,    MenuEntry::NewGame,  MenuEntry::Player1,    MenuEntry::Player2,
    MenuEntry::HostGame,  MenuEntry::JoinGame, MenuEntry::Points,     MenuEntry::Computer,
    MenuEntry::BallSpeed, MenuEntry::Sound,    MenuEntry::Fullscreen, MenuEntry::AntiAliasing,
    MenuEntry::HowToPlay, MenuEntry::Quit,
};
const MenuEntry networkEntries[] = {
    MenuEntry::Resume,       MenuEntry::Sound,     MenuEntry::Fullscreen,
    MenuEntry::AntiAliasing, MenuEntry::HowToPlay, MenuEntry::Quit,
};
const MenuEntry joinEntries[] = {MenuEntry::JoinAddress, MenuEntry::JoinCode, MenuEntry::Join};

std::vector<MenuEntry> entriesShown(const Menu& menu) {
    if (menu.page == MenuPage::Join) {
        return {std::begin(joinEntries), std::end(joinEntries)};
    }
    if (menu.networkGame) {
        return {std::begin(networkEntries), std::end(networkEntries)};
    }
    return {std::begin(localEntries), std::end(localEntries)};
}

// The entry step places from the selected one, round the page's ends.
MenuEntry entryAfter(const Menu& menu, int step) {
    const std::vector<MenuEntry> shown = entriesShown(menu);
    const int count = int(shown.size());
    const int now = int(std::find(shown.begin(), shown.end(), menu.selected) - shown.begin());
    return shown[(now + step + count) % count];
}

std::string* selectedField(Menu& menu) {
    return menu.selected == MenuEntry::JoinAddress ? &menu.address
           : menu.selected == MenuEntry::JoinCode  ? &menu.code
                                                   : nullptr;
}

// Join calls only an address and a code that can be; else the page says what is wrong.
MenuAction join(Menu& menu) {
    std::string error;
    if (menu.address.empty()) {
        menu.netProblem = "Type the host's address first.";
    } else if (!net::readJoinAddress(menu.address, menu.joinHost, menu.joinPort, error)) {
        menu.netProblem = "Cannot join: " + error + ".";
    } else if (!net::readJoinCode(menu.code)) {
        menu.netProblem = menu.code.empty()
                              ? "Type the join code the host shows."
                              : std::string("A join code is ") + net::joinCodeRule + ".";
    } else {
        return MenuAction::Join;
    }
    return MenuAction::None;
}

bool changed(const Menu& menu, MenuEntry entry) {
    return menu.changed.test(std::size_t(entry));
}

bool sameField(const GameSettings& a, const GameSettings& b, const SettingsField& f) {
    return f.real != nullptr    ? a.*f.real == b.*f.real
           : f.whole != nullptr ? a.*f.whole == b.*f.whole
                                : a.*f.flag == b.*f.flag;
}

void copyField(const GameSettings& from, const SettingsField& f, GameSettings& to) {
    if (f.real != nullptr) {
        to.*f.real = from.*f.real;
    } else if (f.whole != nullptr) {
        to.*f.whole = from.*f.whole;
    } else {
        to.*f.flag = from.*f.flag;
    }
}

// The preset the two values make, or -1 when they make none.
int presetOf(const Preset (&presets)[3], float first, float second) {
    for (int i = 0; i < 3; ++i) {
        if (presets[i].first == first && presets[i].second == second) {
            return i;
        }
    }
    return -1;
}

// The next preset that way; from values that make none, the first or the last.
void stepPreset(const Preset (&presets)[3], float& first, float& second, int step) {
    const int now = presetOf(presets, first, second);
    const int next = now < 0 ? (step > 0 ? 0 : 2) : (now + step + 3) % 3;
    first = presets[next].first;
    second = presets[next].second;
}

void stepSamples(int32_t& samples, int step) {
    const auto* found = std::find(std::begin(sampleChoices), std::end(sampleChoices), samples);
    const int count = int(std::size(sampleChoices));
    const int now = found == std::end(sampleChoices) ? 0 : int(found - std::begin(sampleChoices));
    samples = sampleChoices[(now + step + count) % count];
}

// A value entry moved one choice on (step 1) or back (step -1).
MenuAction changeValue(Menu& menu, MenuEntry entry, int step) {
    GameSettings& g = menu.settings;
    DisplayChoices& d = menu.display;
    switch (entry) {
        case MenuEntry::Player1:
            g.player1Mouse = !g.player1Mouse;
            break;
        case MenuEntry::Player2:
            g.player2Keyboard = !g.player2Keyboard;
            break;
        case MenuEntry::Points:
            g.pointsPerGame = g.pointsPerGame == 11 ? 21 : 11;
            break;
        case MenuEntry::Computer:
            stepPreset(strengthPresets, g.aiSkill, g.aiSpeed, step);
            break;
        case MenuEntry::BallSpeed:
            stepPreset(ballSpeedPresets, g.gameSpeed, g.gravityScale, step);
            break;
        case MenuEntry::Sound:
            d.sound = !d.sound;
            break;
        case MenuEntry::Fullscreen:
            d.fullscreen = !d.fullscreen;
            break;
        case MenuEntry::AntiAliasing:
            stepSamples(d.samples, step);
            break;
        default:
            return MenuAction::None;
    }
    menu.changed.set(std::size_t(entry));
    return isMatchEntry(entry) ? MenuAction::SettingsChanged : MenuAction::DisplayChanged;
}

MenuAction enter(Menu& menu) {
    switch (menu.selected) {
        case MenuEntry::Resume:
            return MenuAction::Close;
        case MenuEntry::NewGame:
            return MenuAction::NewGame;
        case MenuEntry::HostGame:
            return MenuAction::Host;
        case MenuEntry::JoinGame:
            menu.page = MenuPage::Join;
            menu.selected = MenuEntry::JoinAddress;
            return MenuAction::None;
        case MenuEntry::HowToPlay:
            menu.page = MenuPage::HowToPlay;
            return MenuAction::None;
        case MenuEntry::Quit:
            return MenuAction::Quit;
        case MenuEntry::JoinAddress:
        case MenuEntry::JoinCode:
            menu.selected = entryAfter(menu, 1);  // on to the next field, then to Join
            return MenuAction::None;
        case MenuEntry::Join:
            return join(menu);
        default:
            return changeValue(menu, menu.selected, 1);
    }
}

MenuAction pressOnHowToPlay(Menu& menu, MenuKey key) {
    if (key == MenuKey::Tab) {
        return MenuAction::Close;
    }
    if (key == MenuKey::Enter || key == MenuKey::Escape) {
        menu.page = MenuPage::Entries;
    }
    return MenuAction::None;
}

std::string presetName(const Preset (&presets)[3], float first, float second) {
    const int i = presetOf(presets, first, second);
    return i < 0 ? "custom" : presets[i].name;
}

std::string samplesText(int samples) {
    return samples < 0 ? "automatic" : samples == 0 ? "off" : std::to_string(samples) + " samples";
}

std::string entryText(const Menu& menu, MenuEntry entry) {
    const GameSettings& g = menu.settings;
    const DisplayChoices& d = menu.display;
    switch (entry) {
        case MenuEntry::Resume:
            return "Resume";
        case MenuEntry::NewGame:
            return "New game";
        case MenuEntry::Player1:
            return std::string("Player 1: ") + (g.player1Mouse ? "mouse" : "computer");
        case MenuEntry::Player2:
            return std::string("Player 2: ") +
                   (g.player2Keyboard ? "keyboard/gamepad" : "computer");
        case MenuEntry::Points:
            return "Game: " + std::to_string(g.pointsPerGame) + " points";
        case MenuEntry::Computer:
            return "Computer: " + presetName(strengthPresets, g.aiSkill, g.aiSpeed);
        case MenuEntry::BallSpeed:
            return "Ball speed: " + presetName(ballSpeedPresets, g.gameSpeed, g.gravityScale);
        case MenuEntry::Sound:
            return std::string("Sound: ") + (d.sound ? "on" : "off");
        case MenuEntry::Fullscreen:
            return std::string("Fullscreen: ") + (d.fullscreen ? "on" : "off");
        case MenuEntry::AntiAliasing:
            return "Anti-aliasing: " + samplesText(d.samples) +
                   (menu.samplesInUse == d.samples
                        ? ""
                        : " (" +
                              (menu.samplesInUse == 0 ? std::string("none")
                                                      : std::to_string(menu.samplesInUse)) +
                              " in use)");
        case MenuEntry::HostGame:
            return "Host a network game";
        case MenuEntry::JoinGame:
            return "Join a network game";
        case MenuEntry::HowToPlay:
            return "How to play";
        case MenuEntry::Quit:
            return "Quit";
        case MenuEntry::JoinAddress:
            return "Address: " + menu.address + (menu.selected == entry ? "_" : "");
        case MenuEntry::JoinCode:
            return "Code: " + menu.code + (menu.selected == entry ? "_" : "");
        case MenuEntry::Join:
            return "Join";
    }
    return "";
}

// How the page's keys work, and in a network game why so few entries.
std::vector<std::string> pageHints(const Menu& menu) {
    if (menu.page == MenuPage::Join) {
        return {
            "Type the host's address (HOST or HOST:PORT) and the join code it shows; Enter "
            "on Join calls the host. Esc: back to the menu."};
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

void openMenu(Menu& menu, const GameSettings& playing, const DisplayChoices& display,
              int samplesInUse) {
    menu.open = true;
    menu.page = MenuPage::Entries;
    menu.selected = MenuEntry::Resume;
    menu.netProblem.clear();
    menu.settings = playing;
    menu.display = display;
    menu.samplesInUse = samplesInUse;
}

MenuAction pressMenuKey(Menu& menu, MenuKey key) {
    if (key == MenuKey::ToggleFullscreen) {
        return changeValue(menu, MenuEntry::Fullscreen, 1);
    }
    if (menu.page == MenuPage::HowToPlay) {
        return pressOnHowToPlay(menu, key);
    }
    switch (key) {
        case MenuKey::Up:
            menu.selected = entryAfter(menu, -1);
            return MenuAction::None;
        case MenuKey::Down:
            menu.selected = entryAfter(menu, 1);
            return MenuAction::None;
        case MenuKey::Left:
            return changeValue(menu, menu.selected, -1);
        case MenuKey::Right:
            return changeValue(menu, menu.selected, 1);
        case MenuKey::Enter:
            return enter(menu);
        case MenuKey::Backspace:
            if (std::string* field = selectedField(menu); field != nullptr && !field->empty()) {
                field->pop_back();
            }
            return MenuAction::None;
        case MenuKey::Escape:
            if (menu.page == MenuPage::Join) {
                menu.page = MenuPage::Entries;
                menu.selected = MenuEntry::JoinGame;
                return MenuAction::None;
            }
            return MenuAction::Close;
        default:
            return MenuAction::Close;
    }
}

void typeIntoMenu(Menu& menu, const std::string& text) {
    std::string* field = selectedField(menu);
    if (field == nullptr) {
        return;
    }
    const std::size_t longest =
        menu.selected == MenuEntry::JoinAddress ? maxAddressLength : maxCodeLength;
    for (char c : text) {
        if (c >= ' ' && c <= '~' && field->size() < longest) {
            field->push_back(c);
        }
    }
}

MenuAction clickMenuEntry(Menu& menu, MenuEntry entry) {
    if (menu.page == MenuPage::HowToPlay) {
        menu.page = MenuPage::Entries;
        return MenuAction::None;
    }
    menu.selected = entry;
    return selectedField(menu) != nullptr ? MenuAction::None : enter(menu);
}

bool matchChoicesDiffer(const Menu& menu, const GameSettings& playing) {
    for (const EntryFields& e : matchEntryFields) {
        for (int i = 0; i < e.count; ++i) {
            if (!sameField(menu.settings, playing, e.fields[i])) {
                return true;
            }
        }
    }
    return false;
}

void layChoicesOver(const Menu& menu, GameSettings& settings) {
    for (const EntryFields& e : matchEntryFields) {
        for (int i = 0; i < e.count && changed(menu, e.entry); ++i) {
            copyField(menu.settings, e.fields[i], settings);
        }
    }
}

void layChoicesOver(const Menu& menu, SettingsRecord& record, DisplayChoices& display) {
    for (const EntryFields& e : matchEntryFields) {
        for (int i = 0; i < e.count && changed(menu, e.entry); ++i) {
            encodeField(menu.settings, e.fields[i], record);
        }
    }
    if (changed(menu, MenuEntry::Sound)) {
        display.sound = menu.display.sound;
    }
    if (changed(menu, MenuEntry::Fullscreen)) {
        display.fullscreen = menu.display.fullscreen;
    }
    if (changed(menu, MenuEntry::AntiAliasing)) {
        display.samples = menu.display.samples;
    }
}

std::vector<PageLine> menuPage(const Menu& menu, const GameSettings& playing,
                               const std::vector<std::string>& notes) {
    if (menu.page == MenuPage::HowToPlay) {
        return {std::begin(howToPlayPage), std::end(howToPlayPage)};
    }
    std::vector<PageLine> page = {
        {LineStyle::Title, menu.page == MenuPage::Join ? "Join a network game" : "Spinvale"}};
    for (const MenuEntry entry : entriesShown(menu)) {
        page.push_back({entry == menu.selected ? LineStyle::Selected : LineStyle::Entry,
                        entryText(menu, entry)});
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

bool entryOnLine(const Menu& menu, int line, MenuEntry& entry) {
    const std::vector<MenuEntry> shown = entriesShown(menu);
    if (menu.page == MenuPage::HowToPlay || line < 1 || line > int(shown.size())) {
        return false;
    }
    entry = shown[std::size_t(line - 1)];
    return true;
}

std::string keptInNote(const std::string& savePath, const std::string& readPath,
                       bool namedOnCommandLine, const std::string& home) {
    if (savePath.empty()) {
        return "Choices last until you quit: without HOME or XDG_CONFIG_HOME there is no "
               "folder to keep them in.";
    }
    const bool inHome = !home.empty() && savePath.rfind(home + "/", 0) == 0;
    const std::string shown = inHome ? "~" + savePath.substr(home.size()) : savePath;
    if (namedOnCommandLine) {
        return "Choices are kept in " + shown + ", but this game reads " + readPath +
               " (named with --settings), which it never writes.";
    }
    if (readPath.find('/') == std::string::npos) {
        return "Choices are kept in " + shown +
               ", but the settings.dat in the working folder comes first and is never written.";
    }
    return "Choices are kept in " + shown + ".";
}

}  // namespace spinvale
