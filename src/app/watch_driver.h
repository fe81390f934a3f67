// Watching a network game: the host's confirmed updates (watch_peer.h) carried out a steady
// quarter of a second behind the host, enough to hide the network's jitter. A watcher who
// joins late, or falls behind, goes through the updates it missed faster than real time
// until it is back. It never predicts: every update is the players' confirmed one, so its
// trace, recording, sounds and statistics are theirs. Nothing the watcher does reaches the
// match: its keys only quit, switch the window or open the menu. It sees the table from
// either end or from the side.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "driven_match.h"
#include "match_driver.h"
#include "watch_peer.h"

namespace spinvale {

enum class WatchView { Near, Far, Side };

class WatchDriver : public MatchDriver {
  public:
    // How far behind the host the watcher keeps, in the match's time.
    static constexpr uint32_t delayMs = 250;
    // Updates carried out in one frame at most, catching up.
    static constexpr int mostPerFrame = 1000;

    // Calls the host to watch its game; setup's settings give this side's window and camera.
    // Nothing, with the reason in error, when the network cannot start.
    static std::unique_ptr<WatchDriver> open(const net::NetSetup& setup, WatchView view,
                                             uint32_t tickMs, std::string& error);
    WatchDriver(std::unique_ptr<net::WatchPeer> peer, const GameSettings& local, WatchView view,
                uint32_t tickMs);

    // Esc stops watching and F1 switches the window, at once; the menu changes nothing.
    DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) override;
    Match shown() const override;
    std::string notice() const override;
    // "watching, N updates behind", while updates come.
    std::string cornerNote() const override;
    MatchControl control() const override { return MatchControl::Watched; }

    net::WatchPeer& peer() { return *peer_; }
    // No more updates will come, and every one that came has been carried out.
    bool over() const;

  private:
    void play(uint32_t tickMs, DriverFrame& frame);
    void followCatchUp(uint32_t tickMs, DriverFrame& frame);

    std::unique_ptr<net::WatchPeer> peer_;
    GameSettings local_;
    WatchView view_;
    std::optional<DrivenMatch> match_;
    Match waiting_;  // shown until the host lets this side in
    uint32_t lastTick_;
    double credit_ = 0;  // the match's milliseconds due and not yet carried out
    int64_t shown_ = 0;  // updates carried out
    std::optional<std::pair<uint32_t, int64_t>> catchingUp_;  // since when, from which update
};

}  // namespace spinvale
