// The game's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "match.h"

namespace spinvale {

struct Options {
    std::optional<bool> windowed;  // start in a window; unset: as the player last chose

    bool dialogs = true;       // errors also in a message box, not only on stderr
    int64_t maxFps = 60;       // 0: frames run back to back
    int samples = -1;          // multisampling; -1: 4, 2 or none as the renderer suits
    bool verbose = false;      // tell on stderr what the display and renderer gave
    int64_t frames = -1;       // quit after this many frames; -1: play until asked to quit
    std::string settingsPath;  // this settings file only; "": searched for
    std::string dataDir;       // the data folder; "": the one next to the program
    std::string recordPath;
    std::string tracePath;
    std::string replayPath;  // play this recording instead of the players' input
    // A network game: hosting on hostPort, or joining joinHost at joinPort with the code.
    bool hosting = false;
    uint16_t hostPort = 0;
    std::string joinHost;
    uint16_t joinPort = 0;
    std::string code;
    bool nearView = false;  // the guest sees the host's view, its keys not turned
    int64_t inputDelay = -1;
    std::string listenAddress;      // test hook: the host listens on this address only ("": all)
    bool noRouter = false;          // the host does not ask the home router to open its port
    std::string lanName;            // the host's name on this network ("": the user's)
    std::vector<std::string> link;  // an invite clicked in another program, as a bare word
    PracticeRules practice;         // a drill instead of a game (--practice, --target)
    bool targetGiven = false;
};

extern const char* const usageText;

// The game's options, each bound to its field of options; programs that take the game's
// options (the frame benchmark's floor) give their own name and usage.
CommandLine gameCommandLine(Options& options, const char* program = "spinvale",
                            const char* usage = usageText);

// An invite given as a bare word (a desktop opens the game with the link clicked), taken as
// --join: false, with what is wrong, when the word is not one.
bool takeLink(Options& options, std::string& error);

}  // namespace spinvale
