// The games the shell starts: the first one, as the command line asks (a recording
// replayed, a network game hosted, joined or watched, a drill, else local play), and a network
// game the player asks for from the menu. The recording and the trace files begin with each.
#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "intents.h"
#include "match_driver.h"
#include "net_driver.h"
#include "options.h"
#include "output_sink.h"
#include "replay_driver.h"
#include "settings_store.h"

namespace spinvale {

// The first game. replay points at the driver when it is a replay. Nothing, with the reason
// told on stderr, when it cannot start.
std::unique_ptr<MatchDriver> startFirstGame(const Options& options, SettingsStore& store,
                                            const ReplayDriver*& replay);

// False, with the line told on stderr, when the recording at path stopped at a malformed
// line: what came before it was played.
bool replayedWhole(const ReplayDriver& replay, const std::string& path);

// A network game from the menu, hosted, joined or watched, on this side's settings; nothing,
// with what to tell the player in problem, when it cannot start.
std::unique_ptr<MatchDriver> startNetGame(const StartNetGame& request, const Options& options,
                                          const GameSettings& local, std::string& problem);

// The recording and the trace the command line asks for, begun afresh with a game.
class GameOutputs {
  public:
    // False, with the reason told on stderr, when a file cannot be written (the game then
    // goes on without it). The recording's first line names the settings file read.
    bool begin(const Options& options, const std::string& settingsPath,
               OutputSink::PlaySounds playSounds);
    OutputSink& sink() { return *sink_; }

  private:
    std::ofstream record_;
    std::ofstream trace_;
    std::optional<OutputSink> sink_;
};

}  // namespace spinvale
