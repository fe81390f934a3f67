// Local play: the players at this computer (and the computer's paddles), one update a
// frame on the time since the last one. The match is the player's own: while they are in
// the menu no update runs, and that time is not handed to the match when they come back.
// Under the adaptive strength a new game and a new window go on at the strength reached.
#pragma once

#include <functional>

#include "driven_match.h"
#include "match_driver.h"

namespace spinvale {

class LocalDriver : public MatchDriver {
  public:
    // The settings a switch of window restarts the match with, read when it happens.
    using RestartSettings = std::function<GameSettings()>;

    LocalDriver(const GameSettings& settings, RestartSettings restartSettings, uint32_t seed = 1);

    DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) override;
    Match shown() const override { return match_.match(); }
    MatchControl control() const override { return MatchControl::Local; }
    void startNewGame(const GameSettings& settings) override;
    void resumeAt(uint32_t tickMs) override { lastTick_ = tickMs; }

  protected:
    DrivenMatch& drivenMatch() { return match_; }

  private:
    DrivenMatch match_;
    RestartSettings restartSettings_;
    uint32_t lastTick_ = 0;  // the tick of the last update, or of the player's return
};

}  // namespace spinvale
