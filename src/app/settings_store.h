// The game's settings for the whole run: the file is found once, read at start and again
// when a new window restarts the match (so that a file changed meanwhile is taken), with
// what the player chose in the menu laid over it. The menu's choices are written through
// here, into the player's own file, never into another.
#pragma once

#include <string>
#include <vector>

#include "match.h"
#include "player_choices.h"
#include "settings_file.h"

namespace spinvale {

class SettingsStore {
  public:
    // The file named with --settings (namedPath), else the first settings.dat found: the
    // working directory's, the player's own, the data folder's.
    SettingsStore(const std::string& namedPath, const std::string& dataDir);

    // The file read, as found, and in full.
    const std::string& path() const { return path_; }
    std::string fullPath() const;
    const GameSettings& settings() const { return settings_; }
    const DisplayChoices& display() const { return display_; }

    // Reads the file again; the player's choices stay over it.
    const GameSettings& reload();

    // The player's choices from now on, written into their own settings file in one replace
    // over what it holds (without one, over the settings being played). "" when they were
    // kept or there is nowhere to keep them; else why not, which the menu then says too.
    std::string keep(const PlayerChoices& choices);

    // What the menu says of where the choices are kept, and of a problem in keeping them.
    std::vector<std::string> menuNotes() const;

    // The problems the file had when it was first read (and the warning of settings under
    // which games never end), once: they are not told again at every reading.
    std::vector<std::string> takeWarnings();

  private:
    std::string path_;
    bool named_;
    std::string ownFolder_;              // "" when there is no folder for the player's own file
    std::vector<std::string> warnings_;  // before the settings, whose reading fills it
    GameSettings settings_;
    DisplayChoices display_;
    PlayerChoices choices_;
    std::string problem_;
};

// Where the menu says it keeps the choices: savePath (the player's own settings file, "" when
// there is none) shortened with ~ for home, and a warning when the game reads another file.
std::string keptInNote(const std::string& savePath, const std::string& readPath,
                       bool namedOnCommandLine, const std::string& home);

}  // namespace spinvale
