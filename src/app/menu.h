// The menu over the match: Tab opens it and the match waits until it closes. It chooses
// who plays, the game length, the computer's strength and the ball's speed (a change to any
// of these starts a new game at 0-0 when the menu closes), the sound, fullscreen and
// anti-aliasing (which apply at once), starts a network game (hosted or joined, each on a
// page of its own; the join page lists the games found on this network) or a drill (chosen on a
// page of its own), and shows the game's statistics and how to play. A network game cannot wait: it
// plays on under the menu, which then offers only what leaves the match alone. Each entry is one
// row of a table: its text, its choices and what choosing it does. Here are the menu's state and
// what keys, typed text and clicks do to it; the shell carries out the actions, keeps the choices
// and draws the pages. Nothing here touches SDL, OpenGL, files or the network.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "match.h"
#include "page.h"
#include "player_choices.h"

namespace spinvale {

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

enum class MenuPage { Entries, HowToPlay, Host, Join, Practice, Statistics };

// What the shell does after a key or a click.
enum class MenuAction {
    None,
    Close,            // back to the match, with a new game first if the match choices changed
    NewGame,          // a new game at 0-0 with the chosen settings, then back to the match
    SettingsChanged,  // a match choice changed: keep it
    DisplayChanged,   // a window or sound choice changed: keep it and apply it now
    Host,             // host a network game on the default port, as the host page says
    Join,             // join the game at the typed address with the typed code
    Practice,         // start the drill chosen on the practice page, then back to the match
    Quit,
};

// A game found on this network, as the join page lists it: the name its host gave, and the
// address to join it at (HOST or HOST:PORT).
struct FoundGame {
    std::string name;
    std::string address;
};

struct Menu {
    bool open = false;
    bool networkGame = false;  // the match plays on under the menu: no entry may change it
    MenuPage page = MenuPage::Entries;
    std::size_t selected = 0;  // the row of menuRows the keys act on
    // What the entries show and choose: the settings being played and the display as it
    // is, with what the player set since the game started over them.
    PlayerChoices chosen;
    int samplesInUse = 0;  // the window's multisampling, which may be less than chosen
    std::string address;   // the join page's fields as typed; they last while the game runs
    std::string code;
    std::string netProblem;  // why the last host or join did not start
    std::string hostName;    // the host page's: the name the game is listed by on this network
    bool askRouter = true;   // and whether the home router is asked to open the port
    std::vector<FoundGame> found;  // the join page's games on this network, after its fields
    bool searching = false;        // the search for them is under way
    PracticeRules practice{PracticeMode::Returns, PracticeTarget::Any};  // the drill chosen
};

// Where an entry is offered: on the menu's page in every game, only in a game of the
// player's own, or on the host, join or practice page.
enum class Offer { Always, Local, HostPage, JoinPage, PracticePage };

// How an entry's choice is shown and stepped. Strength: the presets, then Adaptive.
enum class ChoiceKind {
    None,
    SettingsFlag,
    Points,
    Preset,
    Strength,
    DisplayFlag,
    Samples,
    Text,
    Drill,
    Target,
    Router
};

struct MenuRow {
    const char* name;  // a choice follows it after a colon
    Offer offer;
    MenuAction action;                   // what choosing the entry asks of the shell
    MenuPage opens = MenuPage::Entries;  // a page the entry opens instead
    ChoiceKind choice = ChoiceKind::None;
    SettingsField fields[3] = {};  // the match settings the choice sets
    const Preset* presets = nullptr;
    const char* on = nullptr;  // a flag's two choices
    const char* off = nullptr;
    DisplayField display = DisplayField::Fullscreen;
    std::string Menu::*text = nullptr;  // a field typed into, and its longest length
    std::size_t longest = 0;
};

// Every entry, in the order the pages show them (menu_rows.cpp: a new entry is a new row).
// The join page's found games follow as rows menuRows.size() and on.
extern const std::vector<MenuRow> menuRows;

// The text of an entry: its name, then its choice; a found game's name and address.
std::string entryText(const Menu& menu, std::size_t row);

// An entry's choice moved one on (step 1) or back (step -1), and marked as the player's;
// what the shell must do about it.
MenuAction stepChoice(Menu& menu, const MenuRow& row, int step);

// Opens the menu's entries at Resume on the settings being played and the display as it is.
void openMenu(Menu& menu, const GameSettings& playing, const DisplayChoices& display,
              int samplesInUse);

MenuAction pressMenuKey(Menu& menu, MenuKey key);

// On a page of text (how to play, the statistics), which any key or click leaves.
bool showsText(const Menu& menu);

// Text typed on the keyboard goes into the selected field, printable ASCII only, up to the
// field's length.
void typeIntoMenu(Menu& menu, const std::string& text);

// An invite pasted on the join page: its address and code in the fields, Join selected.
void fillJoinFields(Menu& menu, const std::string& address, const std::string& code);

// The games the search has found so far, each host once; a selected game that is no longer
// listed leaves Join selected.
void showFoundGames(Menu& menu, std::vector<FoundGame> games, bool searching);

// A click on an entry selects it and acts as Enter (a field is only selected, for typing);
// on the how-to-play page any click goes back to the entries.
MenuAction clickMenuEntry(Menu& menu, std::size_t row);

// True when the chosen match settings differ from those being played (under the adaptive
// strength, the computer's skill and speed are the game's own).
bool matchChoicesDiffer(const Menu& menu, const GameSettings& playing);

// The page the menu shows: its entries or the join or practice page's with their notes, or
// the how-to-play page (the statistics page is statistics_page.h's). notes come under the
// entries (where the choices are kept, a problem in keeping them).
std::vector<PageLine> menuPage(const Menu& menu, const GameSettings& playing,
                               const std::vector<std::string>& notes);

// The row of menuRows a page line shows, if it shows one.
bool entryOnLine(const Menu& menu, int line, std::size_t& row);

}  // namespace spinvale
