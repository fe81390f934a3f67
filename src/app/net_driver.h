// A network game: the shared match stepped on the network peer's rollback session, on this
// player's command and the other's. It cannot wait: while the player is in the menu it
// steps on a command left alone, and the confirmed updates are what the outputs follow.
// The guest sees the table from its own end, its arrows turned to point as on its screen.
#pragma once

#include <memory>
#include <string>

#include "match_driver.h"
#include "net_peer.h"

namespace spinvale {

class NetDriver : public MatchDriver {
  public:
    // Hosts, or calls the host; the setup's settings are this side's (the host's decide the
    // match, the guest's give only its window and camera). farView: the guest's view from
    // its own end. tickMs: the clock every frame is then given. Nothing, with the reason in
    // error, when the network cannot start.
    static std::unique_ptr<NetDriver> open(const net::NetSetup& setup, bool farView,
                                           uint32_t tickMs, std::string& error);

    // Esc leaves the game for both and F1 switches the window, at once, whatever the match.
    DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) override;
    // The latest prediction, drawn as this side chose: its window's size, its camera and
    // its simple graphics.
    Match shown() const override;
    std::string notice() const override { return peer_->status(); }
    MatchControl control() const override { return MatchControl::Shared; }

    // The peer itself, for the runner's ending of a game and its test hooks.
    net::NetPeer& peer() { return *peer_; }

  private:
    NetDriver(std::unique_ptr<net::NetPeer> peer, const GameSettings& local, bool farView);
    void poll(uint32_t tickMs, std::vector<std::string>& news);
    void step(uint32_t tickMs, bool away, CommandSource& commands);

    std::unique_ptr<net::NetPeer> peer_;
    GameSettings local_;
    bool farView_;
    bool playing_ = false;
    uint32_t lastStep_ = 0;
    int32_t pointerX_ = 0;  // the pointer of the last update
    int32_t pointerY_ = 0;
};

// Seen from the far end, the guest's Left is the host's Right, and Up (away from the guest)
// is the host's Down.
void turnArrows(KeySet& keys);

// The command while the player is away: no keys, no click, the pointer where it was, so
// that the other player plays on against a paddle left alone.
UpdateInput stillCommand(uint32_t elapsedMs, int32_t pointerX, int32_t pointerY);

// A game to join at an address (HOST or HOST:PORT) and with a code as the player typed them,
// put into setup; or what is wrong with them, to show the player.
std::string readJoinRequest(const std::string& address, const std::string& code,
                            net::NetSetup& setup);

}  // namespace spinvale
