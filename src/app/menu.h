// The menu over the match: Tab opens it and the match waits until it closes. It chooses
// who plays, the game length, the computer's strength and the ball's speed (a change to any
// of these starts a new game at 0-0 when the menu closes), the sound, fullscreen and
// anti-aliasing (which apply at once), starts a network game (hosted, or joined on a page
// of its own), and shows how to play. A network game cannot wait: it plays on under the
// menu, which then offers only what leaves the match alone. Here are its state and what
// keys, typed text and clicks do to it; the shell carries out the actions, saves the
// choices and draws the pages. Nothing here touches SDL, OpenGL or files.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "match.h"
#include "overlay.h"
#include "settings_file.h"

namespace spinvale {

// The entries, top to bottom: the menu's own, then the join page's.
enum class MenuEntry {
    Resume,
    NewGame,
    Player1,
    Player2,
    HostGame,
    JoinGame,
    Points,
    Computer,
    BallSpeed,
    Sound,
    Fullscreen,
    AntiAliasing,
    HowToPlay,
    Quit,
    JoinAddress,  // text: HOST or HOST:PORT
    JoinCode,     // text: the code the host shows
    Join,
};
constexpr int menuEntryCount = int(MenuEntry::Join) + 1;

// The longest text each field takes.
constexpr std::size_t maxAddressLength = 40;
constexpr std::size_t maxCodeLength = 12;

// A pair of settings values offered under one name.
struct Preset {
    const char* name;
    float first;
    float second;
};

// The computer's strength, aiSkill and aiSpeed: against a modelled human mouse player
// (spinvale-rally-stats --player1 model) the player wins about half the points at Easy,
// 30 % at Normal (the shipped settings) and 15 % at Hard.
extern const Preset strengthPresets[3];
// The ball's speed, gameSpeed and gravityScale: the same flight, slower or faster, all where
// computer games end.
extern const Preset ballSpeedPresets[3];

enum class MenuKey { Up, Down, Left, Right, Enter, Escape, Tab, Backspace, ToggleFullscreen };

enum class MenuPage { Entries, HowToPlay, Join };

// What the shell does after a key or a click.
enum class MenuAction {
    None,
    Close,            // back to the match, with a new game first if the match choices changed
    NewGame,          // a new game at 0-0 with the chosen settings, then back to the match
    SettingsChanged,  // a match choice changed: save it
    DisplayChanged,   // a window or sound choice changed: save it and apply it now
    Host,             // host a network game on the default port
    Join,             // join the one at joinHost and joinPort with the typed code
    Quit,
};

struct Menu {
    bool open = false;
    bool networkGame = false;  // the match plays on under the menu: no entry may change it
    MenuPage page = MenuPage::Entries;
    MenuEntry selected = MenuEntry::Resume;
    GameSettings settings;   // the match settings the entries show and choose
    DisplayChoices display;  // the window and sound choices they show and choose
    int samplesInUse = 0;    // the window's multisampling, which may be less than chosen
    // The entries the player changed since the game started: they are saved, and laid over
    // the settings file whenever the game reads it again.
    std::bitset<menuEntryCount> changed;
    std::string address;  // the join page's fields as typed; they last while the game runs
    std::string code;
    std::string joinHost;  // the address read when Join was chosen
    uint16_t joinPort = 0;
    std::string netProblem;  // why the last host or join did not start
};

// Opens the menu's entries at Resume on the settings being played and the display as it is.
void openMenu(Menu& menu, const GameSettings& playing, const DisplayChoices& display,
              int samplesInUse);

MenuAction pressMenuKey(Menu& menu, MenuKey key);

// Text typed on the keyboard goes into the selected field, printable ASCII only, up to the
// field's length.
void typeIntoMenu(Menu& menu, const std::string& text);

// A click on an entry selects it and acts as Enter (a field is only selected, for typing);
// on the how-to-play page any click goes back to the entries.
MenuAction clickMenuEntry(Menu& menu, MenuEntry entry);

// True when the chosen match settings differ from those being played.
bool matchChoicesDiffer(const Menu& menu, const GameSettings& playing);

// The match settings the player changed, laid over settings read from a file.
void layChoicesOver(const Menu& menu, GameSettings& settings);

// The player's changes laid over a settings file's record and display choices: the fields
// the menu did not change stay as they were.
void layChoicesOver(const Menu& menu, SettingsRecord& record, DisplayChoices& display);

// The page the menu shows: its entries or the join page's with their notes, or the
// how-to-play page. notes come under the entries (where the choices are kept, a problem in
// keeping them).
std::vector<PageLine> menuPage(const Menu& menu, const GameSettings& playing,
                               const std::vector<std::string>& notes);

// The entry a page line shows, if it shows one.
bool entryOnLine(const Menu& menu, int line, MenuEntry& entry);

// Where the menu says it keeps the choices: savePath (the player's own settings file, "" when
// there is none) shortened with ~ for home, and a warning when the game reads another file.
std::string keptInNote(const std::string& savePath, const std::string& readPath,
                       bool namedOnCommandLine, const std::string& home);

}  // namespace spinvale
