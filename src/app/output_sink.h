// Where the updates a driver carried out go, the same way in the window and in the headless
// runner: the recording (the commands, with the settings, new-game and practice lines before
// them, and a settings line after an update that changed the settings, as the adaptive
// strength does), the trace (the match after each update), the sounds they asked for, their
// count, and the statistics of the game they play (of a network game, its confirmed
// updates, the same on both sides).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "game_statistics.h"
#include "match_driver.h"

namespace spinvale {

class OutputSink {
  public:
    using PlaySounds = std::function<void(const MatchRequests&)>;

    // Either stream may be null (not written). Live outputs are flushed after every batch,
    // so that whoever watches them (a test, the other player's script) sees each frame.
    OutputSink(std::ostream* record, std::ostream* trace, PlaySounds playSounds, bool live);

    void take(const std::vector<DriverUpdate>& updates);

    // Updates carried out, update 0 not counted.
    int64_t updates() const { return updates_; }
    // Since the last new game or drill.
    const GameStatistics& statistics() const { return statistics_; }

  private:
    void takeOne(const DriverUpdate& update);
    void record(const DriverUpdate& update);
    void count(const DriverUpdate& update);

    std::ostream* record_;
    std::ostream* trace_;
    PlaySounds playSounds_;
    bool live_;
    int64_t updates_ = 0;
    GameSettings recorded_;  // the settings the recording holds
    GameStatistics statistics_;
    // The last update's match, which the next one starts from: a new window's restart
    // between them strikes no ball and scores no point.
    std::optional<Match> last_;
};

}  // namespace spinvale
