// Where the game's files are found. The working directory comes first, as the game always
// has. Then, for the settings only, the user's configuration folder
// ($XDG_CONFIG_HOME/spinvale, by default ~/.config/spinvale). Then the game's data folder:
// the one given with --data-dir, else the build tree's bin/data next to the executable,
// else the installed <prefix>/share/spinvale, found from the executable's <prefix>/bin, or
// the Debian package's <prefix>/share/games/spinvale, found from <prefix>/games.
#pragma once

#include <string>
#include <vector>

namespace spinvale {

struct DataPaths {
    std::vector<std::string> folders;  // searched in order; "" is the working directory

    // The first folder's copy of a file (a path relative to the data folder, such as
    // "sounds/table.wav"); the name as given when no folder has it.
    std::string find(const std::string& name) const;
};

// The folder holding the running executable, or "" when it cannot be told.
std::string executableDirectory();

// $XDG_CONFIG_HOME/spinvale, or ~/.config/spinvale; "" when neither can be told.
std::string userConfigDirectory();

// $XDG_STATE_HOME/spinvale, or ~/.local/state/spinvale: what the game leaves for a bug
// report. "" when neither can be told.
std::string userStateDirectory();

// Textures and sounds: the working directory, then the data folder (dataDir when given).
DataPaths gameDataPaths(const std::string& dataDir = "");

// settings.dat: the working directory, the user's configuration folder, then the data
// folder.
DataPaths settingsPaths(const std::string& dataDir = "");

// True when path names a folder that can be searched.
bool isSearchableFolder(const std::string& path);

// Makes a folder and its parents; false with the reason in error when it cannot.
bool makeDirectories(const std::string& path, std::string& error);

}  // namespace spinvale
