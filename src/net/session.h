// The shared match of a network game, kept without sockets or clocks: the rollback session
// that steps at once on a prediction of the other player's part and steps again when the
// real one differs, the pace keeping of the two sides, and the comparison of their hashes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "match.h"
#include "protocol.h"

namespace spinvale::net {

// An update whose both parts are known and final, and the match after it. Number 0 is the
// match as it starts, before any update.
struct ConfirmedUpdate {
    int64_t number = 0;
    UpdateInput command;
    Match after;
    bool newSettings = false;  // the settings of `after` hold from this update on
};

struct RollbackStats {
    int64_t rollbacks = 0;
    int64_t restepped = 0;  // updates stepped again
    int64_t longest = 0;    // updates in the longest rollback
    int64_t longerThan10 = 0;
};

// GGPO's model, with the match as the game state: the state before every update that is not
// yet confirmed is kept; the other player's missing part is predicted as its last known one
// (with no button news: the match keeps the button itself); when a real part differs from
// what was predicted, the state before it is restored and the updates since are stepped
// again. States older than the confirmed watermark are dropped. The local part of an update
// is taken inputDelay updates ahead of it.
class RollbackSession {
  public:
    // Parts are held for this many updates past the confirmed ones; nothing further ahead is
    // taken from the other side.
    static constexpr int64_t partRing = 128;

    RollbackSession(Role local, const Match& start, int inputDelay, int maxPrediction);

    // The session may not step further ahead of the other player's known parts.
    bool windowFull() const { return frame_ - remoteCount_ >= maxPrediction_; }
    // Takes the local part for the update inputDelay ahead, and steps the next update.
    void step(const Part& local);
    // The other player's parts from update first on, those already held skipped. False when
    // they do not fit what is held: a gap, or further ahead than the session keeps.
    bool receive(int64_t first, const std::vector<Part>& parts);
    // The other player is gone: every stepped update is confirmed on the parts it was
    // stepped with.
    void confirmAsStepped();
    // Test hook: changes the last confirmed state, as a fault in one machine would.
    void alterConfirmedState(const std::function<void(Match&)>& change);

    int64_t frame() const { return frame_; }  // updates stepped
    int64_t confirmed() const { return confirmed_; }
    int64_t localCount() const { return localCount_; }  // local parts made
    int64_t remoteCount() const { return remoteCount_; }
    const Part& localPart(int64_t update) const { return localParts_[slot(update)]; }
    const Match& current() const { return current_; }
    const RollbackStats& stats() const { return stats_; }
    // The updates confirmed since the last call, in order.
    std::vector<ConfirmedUpdate> takeConfirmed();

  private:
    static std::size_t slot(int64_t update) { return static_cast<std::size_t>(update % partRing); }
    Match& stateBefore(int64_t update);
    Part remotePartFor(int64_t update) const;
    UpdateInput commandOf(int64_t update) const;
    void stepOne();
    void rollBackTo(int64_t update);
    void confirmUpTo(int64_t target);

    Role local_;
    int inputDelay_;
    int maxPrediction_;
    Match current_;
    std::vector<Match> states_;  // the state before each unconfirmed update
    std::vector<Part> localParts_ = std::vector<Part>(partRing);
    std::vector<Part> remoteParts_ = std::vector<Part>(partRing);  // as received
    std::vector<Part> usedParts_ = std::vector<Part>(partRing);    // as each update was stepped
    int64_t frame_ = 0;
    int64_t confirmed_ = 0;
    int64_t localCount_ = 0;
    int64_t remoteCount_ = 0;
    RollbackStats stats_;
    std::vector<ConfirmedUpdate> out_;
};

// Keeps the two sides at the same update (GGPO's frame advantage, simplified). Each side's
// lead over the other as it sees it contains the time the other's news took to arrive;
// half the difference of the two leads is how far this side really runs ahead. When that is
// a whole update or more, one update is left out.
class PaceKeeper {
  public:
    // At each local step: the update reached and the last one the other side reported.
    void sample(int64_t frame, int64_t remoteFrame);
    void remoteAdvantage(int8_t quarters) { remoteQuarters_ = quarters; }
    // This side's average lead, in quarter updates, for the other side.
    int8_t advantage() const;
    // True, once, when this side should let one update pass without stepping.
    bool shouldYield(int64_t frame);

  private:
    static constexpr int window = 32;
    int64_t leads_[window] = {};
    int64_t sum_ = 0;
    int64_t samples_ = 0;
    int8_t remoteQuarters_ = 0;
    int64_t nextCheck_ = window;
};

// Every 30 confirmed updates each side hashes its match; the hashes must agree.
class DesyncCheck {
  public:
    static constexpr int64_t every = 30;
    // A confirmed update; true when its hash is to be sent to the other side.
    bool local(const ConfirmedUpdate& update);
    // The other side's hash; false when it makes no sense (not a checkpoint, or too old).
    bool remote(int64_t update, uint64_t hash);
    // The first update whose hashes differ, once both are known.
    std::optional<int64_t> mismatch() const { return mismatch_; }
    // The local match after that update, as a trace line.
    const std::string& localState() const { return mismatchState_; }
    int64_t compared() const { return compared_; }  // pairs of hashes compared
    int64_t lastLocal() const { return lastLocal_; }

  private:
    struct Checkpoint {
        int64_t update;
        uint64_t hash;
        std::string state;
    };
    void compare();
    std::deque<Checkpoint> local_;
    std::deque<std::pair<int64_t, uint64_t>> remote_;
    int64_t lastLocal_ = 0;
    int64_t lastCompared_ = 0;
    int64_t compared_ = 0;
    std::optional<int64_t> mismatch_;
    std::string mismatchState_;
};

// A hash of what the match computes: a fixed set of matches stepped for a few thousand
// updates. Games whose match arithmetic differs in any way disagree on it.
uint64_t matchBuildHash();

// The input delay for a measured round trip: none up to 200 ms, then one update, and two
// from 300 ms on.
int inputDelayFor(uint32_t roundTripMs);

}  // namespace spinvale::net
