// A match that a driver steps itself (local play, practice, a replay): its updates numbered,
// and the recording's lines that its restarts, new games and drills make due before the next
// update.
#pragma once

#include <cstdint>
#include <optional>

#include "match_driver.h"

namespace spinvale {

class DrivenMatch {
  public:
    // The match as a new window starts it, with these settings and random sequence.
    DrivenMatch(const GameSettings& settings, uint32_t seed);

    // Update 0, the match as it was made, once (a driver's first frame carries it alone):
    // traced, with the start's settings line.
    std::optional<DriverUpdate> takeStart();
    // The next update on this command, carried out.
    DriverUpdate step(const UpdateInput& command);
    // What a new window does to the match (a switch of window); a settings line
    // when the settings differ from those last recorded. A drill goes on, the computer
    // serving.
    void restart(GameSettings settings);
    // A new game at 0-0, which the recording holds as a command of its own.
    void startNewGame(const GameSettings& settings);
    // A drill, held by the recording as a new game is; it ends with the next new game.
    void startPractice(const PracticeRules& rules, const GameSettings& settings);
    // Settings taken without a restart (a player handed to the computer), recorded before
    // the next update.
    void takeSettings(const GameSettings& settings);

    const Match& match() const { return match_; }

  private:
    Match match_;
    int64_t number_ = 0;
    std::optional<DriverUpdate> start_;  // until taken
    // The settings the recording holds: those of its last line, or those an update changed
    // (the adaptive strength, which the output sink writes after the update).
    GameSettings recorded_;
    std::optional<GameSettings> settingsLine_;
    std::optional<GameSettings> newGameLine_;
    std::optional<PracticeStart> practiceLine_;
};

// What the last update asked of the shell: to quit, or to switch the window.
void takeRequests(const Match& match, DriverFrame& frame);

}  // namespace spinvale
