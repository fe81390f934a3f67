// A watcher's end of a network game (GGPO's spectator): it calls the host, asks to watch with
// the game's code, and then only receives, in order: the settings the match starts with,
// every confirmed update from the first, and the settings changes among them. It tells the
// host now and then how many updates it holds, and nothing else. It never predicts and never
// steps a match: what came waits here until the driver shows it, at its own pace.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net_events.h"
#include "net_peer.h"

namespace spinvale::net {

enum class WatchState : uint8_t {
    Calling,    // the call, not yet answered (5 s)
    Asking,     // the Hello sent: the host's answer awaited (15 s)
    Watching,   // let in: the updates come as the host confirms them
    Over,       // the host sends no more (the game over, the host gone, or too far behind)
    Unwatched,  // refused, unanswered, or the host gone before letting this side in
};

// One update as the host confirmed it; `settings` when the match is played on new ones from
// this update on.
struct WatchedUpdate {
    UpdateInput command;
    std::optional<GameSettings> settings;
};

class WatchPeer {
  public:
    // Through ENet (spinvale_net_enet): starts calling the host. Nothing, with the reason in
    // error, when it cannot.
    static std::unique_ptr<WatchPeer> open(const NetSetup& setup, uint32_t nowMs,
                                           std::string& error);
    // Over any transport, calling setup.hostName with setup.code.
    WatchPeer(const NetSetup& setup, std::unique_ptr<Transport> transport, uint32_t nowMs);
    ~WatchPeer();
    WatchPeer(const WatchPeer&) = delete;
    WatchPeer& operator=(const WatchPeer&) = delete;

    // Takes in what came and says how much is held when that is due. Never blocks.
    void poll(uint32_t nowMs);
    WatchState state() const { return state_; }
    // The settings the match starts with, once let in.
    const std::optional<GameSettings>& start() const { return start_; }
    // The updates received and not yet taken, and their time in the match.
    std::size_t waiting() const { return waiting_.size(); }
    uint32_t waitingMs() const { return waitingMs_; }
    // The next update received, and taken; only while one is waiting.
    const WatchedUpdate& next() const { return waiting_.front(); }
    WatchedUpdate take();
    // Updates received; the host's confirmed count as last heard.
    int64_t received() const { return received_; }
    int64_t hostAt() const { return hostAt_; }
    std::vector<NetEvent> takeEvents();
    // What the screen says while it holds, or "".
    const std::string& status() const { return status_; }
    NetStats stats() const;
    // Tells the host this side stops watching.
    void leave();

  private:
    void handle(const Connected& e);
    void handle(const Received& e);
    void handle(const Disconnected& e);
    void answered(const Message& message);
    void on(const Watched& m);
    void on(const WatchSettings& m);
    void acknowledge();
    void dropped(const std::string& why);
    void enter(WatchState state);
    void post(NetEvent event);

    NetSetup setup_;
    std::unique_ptr<Transport> transport_;
    WatchState state_ = WatchState::Calling;
    uint32_t now_;
    uint32_t since_;
    ConnectionId host_ = 0;
    Address hostAddress_;
    std::optional<GameSettings> start_;
    std::deque<WatchedUpdate> waiting_;
    std::optional<GameSettings> nextSettings_;  // from the next update received
    uint32_t waitingMs_ = 0;
    int64_t received_ = 0;
    int64_t hostAt_ = 0;
    int64_t acked_ = -1;
    uint32_t ackedAt_ = 0;
    std::map<std::string, int64_t> malformed_;
    std::vector<NetEvent> events_;
    std::string status_;
};

}  // namespace spinvale::net
