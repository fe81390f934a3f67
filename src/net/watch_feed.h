// The host's side of watching, as GGPO's spectators are fed: every confirmed update is kept
// from the first, and each watcher is sent them in order from the first, whenever it came,
// on its own connection. What a watcher may cost is bounded: the bytes sent to it in one poll
// and the bytes it has not acknowledged; once it is live, its updates go in batches every
// 50 ms. A watcher whose last acknowledged update the host had more than 10 s ago (or,
// still catching up, that joined more than 10 s ago) is let go, and so is one that sends
// more than 100 messages a second. Nothing here touches the players' own connection.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "net_events.h"
#include "session.h"

namespace spinvale::net {

class WatchFeed {
  public:
    static constexpr uint32_t behindMs = 10000;
    static constexpr uint32_t batchMs = 50;
    static constexpr std::size_t bytesPerPoll = 4096;
    static constexpr std::size_t unacknowledgedBytes = 16384;
    static constexpr int64_t messagesPerSecond = 100;
    // About 4.8 hours at 60 updates a second; the watchers are then sent no more.
    static constexpr int64_t mostUpdates = int64_t(1) << 20;

    using Send = std::function<void(ConnectionId, const std::vector<uint8_t>&)>;
    // A watcher let go: too far behind, or (no reason) fed to the end.
    struct LetGo {
        ConnectionId id;
        Address from;
        std::optional<WatcherGone> why;
    };

    bool seatFree() const { return seats_.size() < watcherSeats && !ended_; }
    std::size_t watching() const { return seats_.size(); }
    void seat(ConnectionId id, const Address& from, uint32_t nowMs);
    // Where a watcher calls from; nothing when the connection is not a watcher's.
    const Address* watcher(ConnectionId id) const;
    void unseat(ConnectionId id);
    std::vector<ConnectionId> unseatAll();

    // The host's confirmed updates, in order: update 0 (the start) and the settings changes
    // among them go to the watchers as settings, the others as commands.
    void record(const ConfirmedUpdate& update, uint32_t nowMs);
    // No update will follow those recorded.
    void end() { ended_ = true; }
    // Something came from a watcher: false when it has sent too much this second.
    bool heard(ConnectionId id, uint32_t nowMs);
    // A watcher holds `received` updates: false when that makes no sense (more than it was
    // sent, or fewer than it said before).
    bool acknowledged(ConnectionId id, uint32_t received);

    // Sends each watcher what is due; those too far behind, and after end() those that hold
    // every update, are let go (and no longer seated).
    std::vector<LetGo> feed(uint32_t nowMs, const Send& send);
    // Watchers still to be fed to the end.
    bool feeding() const { return ended_ && !seats_.empty(); }
    // The bytes sent to watchers (the messages' own, without the transport's).
    uint64_t bytesSent() const { return bytesSent_; }

  private:
    struct Seat {
        ConnectionId id = 0;
        Address from;
        uint32_t since = 0;
        int64_t sent = 0;  // updates sent
        std::size_t changesSent = 0;
        int64_t acked = 0;
        std::deque<std::pair<int64_t, std::size_t>> unacked;  // up to an update, its bytes
        std::size_t unackedBytes = 0;
        uint32_t lastSent = 0;
        uint32_t countSince = 0;  // the second its messages are counted in
        int64_t messages = 0;
    };
    Seat* find(ConnectionId id);
    bool behind(const Seat& s, uint32_t nowMs) const;
    void sendDue(Seat& s, uint32_t nowMs, const Send& send);
    Message next(const Seat& s) const;
    void sent(Seat& s, const Send& send, const Message& message, int64_t upTo, uint32_t nowMs);

    std::vector<Part> commands_;          // update n's at n - 1
    std::vector<uint32_t> confirmedAt_;   // when the host had it
    std::vector<WatchSettings> changes_;  // in order of their updates
    std::vector<Seat> seats_;
    bool ended_ = false;
    uint64_t bytesSent_ = 0;
};

}  // namespace spinvale::net
