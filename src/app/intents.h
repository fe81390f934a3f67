// What the player asks of the shell, as data: the drivers, the menu and the shell's own keys
// return these, and the window loop alone carries them out.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "match.h"
#include "player_choices.h"
#include "settings_file.h"

namespace spinvale {

// Ends the game (Esc, the menu's Quit, the window closed, the last update of --frames).
struct Quit {};

// Switches between fullscreen and a window (F1, Alt+Enter, or a recorded switch).
struct ToggleFullscreen {};

// The window and sound as the player now chose them: sound at once, a new window when the
// fullscreen mode or the sample count changed.
struct ApplyDisplay {
    DisplayChoices display;
};

// What the player chose in the menu, kept in their own settings file.
struct KeepChoices {
    PlayerChoices choices;
};

// A new game at 0-0 with these settings, recorded as a command of its own.
struct NewGame {
    GameSettings settings;
};

// A network game in this window in place of the game so far: hosted on the default port
// (listed by name on this network, the router asked to open the port or not), or joined at
// the address and with the code as the player typed them (read only here, so that a problem
// is said where they were typed).
struct StartNetGame {
    bool hosting = false;
    std::string address;
    std::string code;
    std::string name;
    bool askRouter = false;
};

// A text for the clipboard (the invite on the host's waiting page).
struct CopyText {
    std::string text;
};

// A drill in place of the game of the player's own, on these settings.
struct StartPractice {
    PracticeRules rules;
    GameSettings settings;
};

using Intent = std::variant<Quit, ToggleFullscreen, ApplyDisplay, KeepChoices, NewGame,
                            StartNetGame, StartPractice, CopyText>;

}  // namespace spinvale
