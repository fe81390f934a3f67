// Where the game's files are found: the working directory first, as the game always has,
// then the data folder next to the executable (the build tree's bin/data), then the
// installed data folder (<prefix>/share/spinvale).
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

DataPaths gameDataPaths();

}  // namespace spinvale
