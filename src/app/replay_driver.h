// A recording played back in place of the players: one update a frame, each due its
// recorded time after the one before. The one place that knows how a recording's lines act
// on the match:
// - one update is read ahead, so that the settings lines after an update are known before
//   the restart it may ask for;
// - a new-game line starts a new game at 0-0 before the update after it, and a practice
//   line a drill;
// - an update that asked for a switch of window restarts the match, as the new window did,
//   with the settings read so far;
// - settings that change with no restart take effect at once (the other side of a network
//   game left, and the computer took over its paddle).
// The players' own keys only reach the shell: Esc ends the replay, F1 or Alt+Enter switches
// the window without touching the match.
#pragma once

#include <istream>
#include <memory>

#include "driven_match.h"
#include "match_driver.h"
#include "recording.h"

namespace spinvale {

class ReplayDriver : public MatchDriver {
  public:
    // The recording read from in, from the settings it starts with (those of the file it
    // names, or of another); its first update is read at once.
    ReplayDriver(std::unique_ptr<std::istream> in, GameSettings settings, uint32_t seed = 1);

    // Whether the recording holds an update to play.
    bool hasUpdates() const { return more_; }
    // Why the recording stopped before its end ("" when it did not), and at which line.
    const std::string& error() const { return reader_.error(); }
    long errorLine() const { return reader_.lineNumber(); }

    DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) override;
    Match shown() const override { return match_.match(); }
    MatchControl control() const override { return MatchControl::Replayed; }

  private:
    void readNext();

    // In the order the constructor reads them: the first update comes with the settings
    // the match starts from.
    std::unique_ptr<std::istream> in_;
    RecordingReader reader_;
    UpdateInput next_;
    bool more_ = false;      // next_ holds an update still to play
    GameSettings settings_;  // the settings read so far
    DrivenMatch match_;
    std::optional<GameSettings> newGame_;    // the new game started before next_
    std::optional<PracticeStart> practice_;  // or the drill
};

}  // namespace spinvale
