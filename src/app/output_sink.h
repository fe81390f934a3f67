// Where the updates a driver carried out go, the same way in the window and in the headless
// runner: the recording (the commands, with the settings and new-game lines before them),
// the trace (the match after each update), the sounds they asked for, and their count.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

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

  private:
    void takeOne(const DriverUpdate& update);

    std::ostream* record_;
    std::ostream* trace_;
    PlaySounds playSounds_;
    bool live_;
    int64_t updates_ = 0;
};

}  // namespace spinvale
