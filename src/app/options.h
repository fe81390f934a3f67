// The game's command line: GNU-style long options, "--opt value" or "--opt=value".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spinvale {

struct Options {
    bool windowed = false;     // start in a window instead of fullscreen
    bool dialogs = true;       // errors also in a message box, not only on stderr
    int maxFps = 60;           // 0: frames run back to back
    int samples = -1;          // multisampling; -1: 4, 2 or none as the renderer suits
    bool verbose = false;      // tell on stderr what the display and renderer gave
    int64_t frames = -1;       // quit after this many frames; -1: play until asked to quit
    std::string settingsPath;  // this settings file only; "": searched for
    std::string dataDir;       // the data folder; "": the one next to the program
    std::string recordPath;
    std::string tracePath;
};

enum class CommandLine { Play, Help, Version, Bad };

extern const char* const usageText;

// Reads the arguments after the program name. A bad command line leaves its reason in error.
CommandLine parseOptions(const std::vector<std::string>& args, Options& options,
                         std::string& error);

}  // namespace spinvale
