// A network game in the window: the connection to the other player, the local player's
// command made from the window's input, and the shared match seen from the local end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "match.h"
#include "net_peer.h"
#include "options.h"

namespace spinvale {

class NetGame {
  public:
    // The host's match is played with its settings; the guest's own settings give only its
    // window and camera. Nothing, with the reason in error, when the network cannot start.
    static std::unique_ptr<NetGame> open(const Options& options, const GameSettings& local,
                                         std::string& error);

    // Takes in the network's news (told on stderr). Never blocks.
    void poll(uint32_t nowMs);
    // Whether this frame steps the match; when not, the frame only draws, and the time runs
    // on into the next update. Ask once a frame: a side running ahead is told to wait here.
    bool readyToStep();
    // The elapsed time the next update gets: the time since the last one.
    uint32_t elapsedMs(uint32_t nowMs) const;
    // The next update on the player's command. The guest's arrows are turned to its view.
    void step(UpdateInput live, uint32_t nowMs);
    // The next update while the player is in the menu: no keys, no click, the pointer where
    // it was, so that the other player plays on against a paddle left alone.
    void stepAway(uint32_t nowMs);
    std::vector<net::ConfirmedUpdate> takeConfirmed() { return peer_->takeConfirmed(); }
    // The latest prediction, with the local window's size and camera.
    Match view() const;
    // What the screen says beside the match ("" for nothing).
    std::string notice() const;
    // Esc: the other player is told.
    void leave() { peer_->leave(); }

  private:
    explicit NetGame(std::unique_ptr<net::NetPeer> peer) : peer_(std::move(peer)) {}

    std::unique_ptr<net::NetPeer> peer_;
    GameSettings local_;
    bool guest_ = false;
    bool turnKeys_ = false;
    bool playing_ = false;
    uint32_t lastStep_ = 0;
    int32_t pointerX_ = 0;  // the pointer of the last update
    int32_t pointerY_ = 0;
};

}  // namespace spinvale
